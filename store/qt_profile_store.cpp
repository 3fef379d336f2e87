// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/qt_profile_store.h"

#include <QFile>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <utility>

#include "store/ini_text.h"

namespace {

constexpr const char* kGeneral = "General";

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// The key of section/entry inside the QSettings object. In INI files the keys
// outside any group are written under [General], while a group named
// "General" would come out as [%General]; so that section's entries are kept
// at the top level there. The registry has no such rule: there "General" is
// the key Software\SEKKA\Zer Evizi SEKKA\General like every other section.
bool IsIniFile(const QSettings& settings) {
    return settings.format() == QSettings::IniFormat
#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
           || settings.format() == QSettings::NativeFormat
#endif
        ;
}

QString KeyOf(const QSettings& settings, const std::string& section, const std::string& entry) {
    if (IsIniFile(settings) && section == kGeneral) return FromUtf8(entry);
    return FromUtf8(section) + QLatin1Char('/') + FromUtf8(entry);
}

}  // namespace

QtProfileStore::QtProfileStore() = default;

QtProfileStore::QtProfileStore(std::string iniFile) : m_iniFile(std::move(iniFile)) {}

namespace {

// One operation's view of the store: a fresh QSettings (creating it reads the
// file again when it changed on disk) and, for an INI file, the file's text.
struct Snapshot {
    std::unique_ptr<QSettings> settings;
    QByteArray text;
    // False for an INI file with anything in it that is not understood in
    // full: such a file gives the defaults and is never written.
    bool clean = true;
};

Snapshot Open(const std::string& iniFile) {
    Snapshot s;
    if (iniFile.empty())
        s.settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                 QString::fromLatin1(QtProfileStore::kOrganization),
                                                 QString::fromLatin1(QtProfileStore::kApplication));
    else
        s.settings = std::make_unique<QSettings>(FromUtf8(iniFile), QSettings::IniFormat);
    if (IsIniFile(*s.settings)) {
        QFile file(s.settings->fileName());
        if (file.open(QIODevice::ReadOnly)) {
            s.text = file.readAll();
            s.clean = ini::IsClean(s.text);
        }
    }
    return s;
}

// The value, or an invalid QVariant when it is missing or the store cannot
// be read.
QVariant Read(const Snapshot& s, const QString& key) {
    if (!s.clean || s.settings->status() == QSettings::AccessError) return {};
    return s.settings->value(key);
}

bool Write(const std::string& iniFile, const std::string& section, const std::string& entry,
           const QVariant& value) {
    const Snapshot s = Open(iniFile);
    if (!s.clean || s.settings->status() != QSettings::NoError) return false;
    // This store writes no lists: a list is a text with commas, typed into
    // the file by hand. It is written back as that text, not as the list
    // QSettings made of it.
    for (const QString& key : s.settings->allKeys()) {
        if (s.settings->value(key).typeId() != QMetaType::QStringList) continue;
        if (const auto raw = ini::RawValue(s.text, key))
            s.settings->setValue(key, ini::WholeValue(*raw));
    }
    s.settings->setValue(KeyOf(*s.settings, section, entry), value);
    // The answer of the write itself, under QSettings' lock: reading the
    // value back would race with other writers.
    s.settings->sync();
    return s.settings->status() == QSettings::NoError;
}

}  // namespace

int QtProfileStore::GetProfileInt(const std::string& section, const std::string& entry, int def) {
    const Snapshot s = Open(m_iniFile);
    const QVariant value = Read(s, KeyOf(*s.settings, section, entry));
    if (!value.isValid()) return def;
    // INI values arrive as text, which must be a whole number within the
    // 32-bit range; registry DWORDs arrive as 32-bit integers. Anything else
    // (a list, a 64-bit value, a word) is not an integer of this store.
    switch (value.typeId()) {
        case QMetaType::QString: {
            bool ok = false;
            const int result = value.toString().trimmed().toInt(&ok, 10);
            return ok ? result : def;
        }
        case QMetaType::Int:
            return value.toInt();
        case QMetaType::UInt:
            return static_cast<int>(value.toUInt());
        default:
            return def;
    }
}

std::string QtProfileStore::GetProfileString(const std::string& section, const std::string& entry,
                                             const std::string& def) {
    const Snapshot s = Open(m_iniFile);
    const QString key = KeyOf(*s.settings, section, entry);
    const QVariant value = Read(s, key);
    if (!value.isValid()) return def;
    // QSettings makes a list of an unquoted value with commas; the text is
    // what the file says, commas and the blanks around them included.
    if (value.typeId() == QMetaType::QStringList) {
        const auto raw = ini::RawValue(s.text, key);
        return raw ? ToUtf8(ini::WholeValue(*raw)) : ToUtf8(value.toStringList().join(u','));
    }
    if (!value.canConvert<QString>()) return def;
    return ToUtf8(value.toString());
}

bool QtProfileStore::WriteProfileInt(const std::string& section, const std::string& entry,
                                     int value) {
    return Write(m_iniFile, section, entry, QVariant(value));
}

bool QtProfileStore::WriteProfileString(const std::string& section, const std::string& entry,
                                        const std::string& value) {
    return Write(m_iniFile, section, entry, QVariant(FromUtf8(value)));
}

std::string QtProfileStore::Location() const {
    if (!m_iniFile.empty()) return m_iniFile;
    return ToUtf8(Open(m_iniFile).settings->fileName());
}
