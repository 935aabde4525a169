#pragma once

#include <QHash>
#include <QImage>
#include <QSortFilterProxyModel>
#include <QTimer>

#include "pictures/PictureCriteria.h"
#include "pictures/PictureFacts.h"

class LinkList;

// The list's media entries as the picture view shows them: filtered and ordered by the
// criteria, each with its thumbnail, pixel size, file size and the reason it failed.
// Rows are the list's own rows (mapToSource gives the list row), so a selection made
// here is the list's selection.
class PictureGridModel final : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    enum Role {
        FactsRole = Qt::UserRole + 1, // PictureFacts (as QVariant::fromValue)
        CaptionRole, // "W × H · size" once known
        TypeRole, // the type's name
        UrlRole, // the entry's address
    };

    explicit PictureGridModel(LinkList* list, QObject* parent = nullptr);

    void setCriteria(const PictureCriteria& criteria);
    const PictureCriteria& criteria() const { return m_criteria; }

    // Takes what became known of a picture; rows are refiltered and reordered a moment
    // later, many reports at once.
    void setPicture(const QString& url, const PictureFacts& facts, const QImage& thumbnail);
    PictureFacts factsOf(const QString& url) const { return m_facts.value(url); }
    QImage thumbnailOf(const QString& url) const { return m_thumbnails.value(url); }

    // The list rows of the entries shown, in the view's order.
    QList<int> shownRows() const;
    int mediaCount() const; // entries of the list the view could show
    int measuredCount() const; // of those, the ones whose facts are final

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // A file size as the view writes it: "812 B", "34.5 KiB", "2.1 MiB".
    static QString sizeText(qint64 bytes);

signals:
    void picturesChanged(); // after the coalesced refilter

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    void applyChanges();

    LinkList* m_list;
    PictureCriteria m_criteria;
    QHash<QString, PictureFacts> m_facts;
    QHash<QString, QImage> m_thumbnails;
    QTimer m_coalesce;
};
