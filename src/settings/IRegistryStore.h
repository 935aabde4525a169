#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

// Kind of a stored value. Only Text values are settings; the other kinds exist so a store
// written by hand or by another tool can hold them and readers can skip them.
enum class RegValueType { Text = 1, Binary = 3, Number = 4 };

// One value of a section. `data` holds the stored bytes exactly, with the stored length:
// a Text value written by the program is its UTF-8 text followed by one NUL terminator
// (so an empty text is one byte long); a zero-length value is representable and readers
// treat it as "no value". The section's unnamed default value has an empty `name`.
struct RegValue {
    QString name;
    RegValueType type = RegValueType::Text;
    QByteArray data;

    // The stored form of a text value: UTF-8 text plus one terminating NUL.
    static RegValue text(const QString& name, const QString& text)
    {
        QByteArray data = text.toUtf8();
        data.append('\0');
        return { name, RegValueType::Text, data };
    }
    // A 32-bit little-endian number, as a non-text value.
    static RegValue number(const QString& name, quint32 value)
    {
        QByteArray data(4, '\0');
        for (int i = 0; i < 4; ++i)
            data[i] = char((value >> (8 * i)) & 0xff);
        return { name, RegValueType::Number, data };
    }

    bool operator==(const RegValue&) const = default;
};

// A per-user hierarchical store of sections (keys) and values. A section is addressed by
// its whole path, components separated by backslashes:
// "Software\\Corvid Lantern\\Quillmarch\\Options". Paths and value names compare without
// regard to ASCII letter case. Nothing is cached: every call reads or writes the backing
// store at the time of the call, so several objects and several processes see the latest
// write. No operation throws; a failure is reported by the result only.
class IRegistryStore
{
public:
    virtual ~IRegistryStore() = default;

    // Whether the section exists (the "open an existing section" step).
    virtual bool sectionExists(const QString& path) const = 0;
    // Creates the section and its missing parents; true when it exists afterwards.
    virtual bool createSection(const QString& path) = 0;
    // One named value, or nullopt when the section or the value does not exist.
    virtual std::optional<RegValue> readValue(const QString& path, const QString& name) const = 0;
    // Writes the value, replacing an earlier one of the same name (which keeps its place in
    // the enumeration order). Creates the section and its parents when missing, in the
    // same transaction. True when the write was committed.
    virtual bool writeValue(const QString& path, const RegValue& value) = 0;
    // The section's values in the order they were first created; empty when the section
    // is missing or empty (check sectionExists to tell the two apart).
    virtual QList<RegValue> values(const QString& path) const = 0;
    // Deletes one value; false when the section or the value does not exist.
    virtual bool deleteValue(const QString& path, const QString& name) = 0;
    // Deletes the section with its values and any sections below it; false when it does
    // not exist.
    virtual bool deleteSection(const QString& path) = 0;

    // Groups the writes made until the matching endBatch into one transaction, so
    // several values become durable with one commit and other processes see all of
    // them or none. Batches nest; the outermost end commits. True when the batch was
    // (or will be) committed.
    virtual bool beginBatch() { return true; }
    virtual bool endBatch() { return true; }

    // Called once, with a sentence for the user, the first time a write cannot be saved
    // (or right away when the store can only be read); later failures stay quiet.
    using WriteFailureHandler = std::function<void(const QString& message)>;
    virtual void setWriteFailureHandler(WriteFailureHandler handler) { (void)handler; }
    // A notice about the store the user has not seen yet (for example that a damaged
    // file was reset, by whichever process found it); clearPendingNotice once shown.
    virtual QString pendingNotice() const { return {}; }
    virtual void clearPendingNotice() { }
};
