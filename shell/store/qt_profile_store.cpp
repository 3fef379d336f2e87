#include "shell/store/qt_profile_store.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <utility>

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
QString KeyOf(const QSettings& settings, const std::string& section, const std::string& entry) {
    const bool iniFile = settings.format() == QSettings::IniFormat
#if !defined(Q_OS_WIN) && !defined(Q_OS_DARWIN)
                         || settings.format() == QSettings::NativeFormat
#endif
        ;
    if (iniFile && section == kGeneral) return FromUtf8(entry);
    return FromUtf8(section) + QLatin1Char('/') + FromUtf8(entry);
}

}  // namespace

QtProfileStore::QtProfileStore() = default;

QtProfileStore::QtProfileStore(std::string iniFile) : m_iniFile(std::move(iniFile)) {}

namespace {

// A fresh QSettings for one operation. Creating it reads the file again when
// it changed on disk since the last operation.
std::unique_ptr<QSettings> Open(const std::string& iniFile) {
    if (iniFile.empty())
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QString::fromLatin1(QtProfileStore::kOrganization),
                                           QString::fromLatin1(QtProfileStore::kApplication));
    return std::make_unique<QSettings>(FromUtf8(iniFile), QSettings::IniFormat);
}

// The value, or an invalid QVariant when it is missing or the store cannot
// be read.
QVariant Read(const std::string& iniFile, const std::string& section, const std::string& entry) {
    auto settings = Open(iniFile);
    if (settings->status() == QSettings::AccessError) return {};
    return settings->value(KeyOf(*settings, section, entry));
}

bool Write(const std::string& iniFile, const std::string& section, const std::string& entry,
           const QVariant& value) {
    auto settings = Open(iniFile);
    // A file that could not be parsed is left alone rather than rewritten
    // from the few keys that could be read out of it.
    if (settings->status() != QSettings::NoError) return false;
    settings->setValue(KeyOf(*settings, section, entry), value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

}  // namespace

int QtProfileStore::GetProfileInt(const std::string& section, const std::string& entry, int def) {
    const QVariant value = Read(m_iniFile, section, entry);
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
    const QVariant value = Read(m_iniFile, section, entry);
    if (!value.isValid()) return def;
    // An unquoted value with commas reads back as a list; its parts are what
    // the text said, less the blanks around the commas.
    if (value.typeId() == QMetaType::QStringList) return ToUtf8(value.toStringList().join(", "));
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
    return ToUtf8(Open(m_iniFile)->fileName());
}
