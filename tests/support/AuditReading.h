// The audit trail as a test reads it: the newest entry of an action and a value of its details.
#pragma once

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/UAuditTrail.h"
#include "model/UGlobals.h"

namespace tervanix::test {

inline std::string AuditFile() {
    return BasePath + ".adt";
}

// The newest entry with that action; throws when there is none, which fails the test.
inline TAuditEntry Audited(const char* action) {
    const std::vector<TAuditEntry> found = ReadAuditEntries(AuditFile(), {"", action, "", ""}, 1);
    if (found.empty()) throw std::runtime_error(std::string("no audit entry ") + action);
    return found.front();
}

// The value at a dotted path of the entry's details ("after.mode").
inline QJsonValue Detail(const TAuditEntry& entry, const char* path) {
    QJsonValue value = QJsonDocument::fromJson(QByteArray::fromStdString(entry.Details)).object();
    for (const QString& key : QString::fromLatin1(path).split(u'.'))
        value = value.toObject().value(key);
    return value;
}

} // namespace tervanix::test
