#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTemporaryDir>
#include <functional>

#include "crawl/RobotsRules.h"

class ITransferService;
struct TransferEnd;

// Fetches the robots.txt of sites over the transfer service and reads the rules for
// this program. A file that is missing, fails, is larger than RobotsRules::MaxBytes
// (the fetch stops there) or is no text allows everything.
class RobotsFetch final : public QObject
{
    Q_OBJECT
public:
    // The name robots.txt groups address this program by.
    static QString agent() { return QStringLiteral("quillmarch"); }

    explicit RobotsFetch(ITransferService& transfers, QObject* parent = nullptr);
    ~RobotsFetch() override;

    // Fetches origin + "/robots.txt" (origin: "http://host:port"); done is called once,
    // later, from the event loop.
    void fetch(const QString& origin, std::function<void(const RobotsRules&)> done);
    // Stops every fetch; their done handlers are not called.
    void cancelAll();

private:
    struct Pending {
        QString path;
        std::function<void(const RobotsRules&)> done;
        int status = 0;
    };
    void onFinished(quint64 id, const TransferEnd& end);

    ITransferService& m_transfers;
    QTemporaryDir m_folder;
    QHash<quint64, Pending> m_pending;
    int m_files = 0;
};
