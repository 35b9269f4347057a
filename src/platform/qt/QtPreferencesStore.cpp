// SPDX-License-Identifier: MIT
#include "platform/qt/QtPreferencesStore.hpp"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>
#include <QString>
#include <QStringList>

#include <map>
#include <stdexcept>

namespace fixtora {
namespace {

// Values are kept as "<tag>:<payload>" text so that their type survives
// formats that store everything as text.
constexpr char kString = 's';
constexpr char kInteger = 'i';
constexpr char kReal = 'r';
constexpr char kBoolean = 'b';
constexpr char kData = 'd';
constexpr char kList = 'l';

QString tagged(char tag, const QString& payload) {
    return QString(QChar(tag)) + u':' + payload;
}

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

/// One suite. A fresh QSettings per call: QSettings objects are not safe to
/// share between threads, while the file cache behind them is. Writes that
/// are held back wait in `m_pending` (a removal as an empty optional), which
/// reads consult first.
class QtPreferences final : public Preferences, public std::enable_shared_from_this<QtPreferences> {
  public:
    QtPreferences(std::optional<QString> file, QString organization, QString application,
                  std::shared_ptr<Scheduler> flushScheduler, double flushInterval)
        : m_file(std::move(file)),
          m_organization(std::move(organization)),
          m_application(std::move(application)),
          m_flushScheduler(std::move(flushScheduler)),
          m_flushInterval(flushInterval) {}

    ~QtPreferences() override {
        std::lock_guard lock(m_mutex);
        if (m_timer) m_timer->invalidate();
        writePendingLocked();
    }

    void flush() {
        std::lock_guard lock(m_mutex);
        writePendingLocked();
    }

    std::optional<std::string> string(const std::string& key) const override {
        auto p = payload(key, kString);
        if (!p) return std::nullopt;
        return p->toStdString();
    }
    std::optional<std::int64_t> integer(const std::string& key) const override {
        auto p = payload(key, kInteger);
        if (!p) return std::nullopt;
        bool ok = false;
        const qlonglong v = p->toLongLong(&ok);
        if (!ok) return std::nullopt;
        return static_cast<std::int64_t>(v);
    }
    std::optional<double> real(const std::string& key) const override {
        auto p = payload(key, kReal);
        if (!p) return std::nullopt;
        bool ok = false;
        const double v = p->toDouble(&ok);
        if (!ok) return std::nullopt;
        return v;
    }
    std::optional<bool> boolean(const std::string& key) const override {
        auto p = payload(key, kBoolean);
        if (!p) return std::nullopt;
        if (*p == u"1") return true;
        if (*p == u"0") return false;
        return std::nullopt;
    }
    std::optional<Bytes> data(const std::string& key) const override {
        auto p = payload(key, kData);
        if (!p) return std::nullopt;
        auto decoded =
            QByteArray::fromBase64Encoding(p->toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) return std::nullopt;
        const QByteArray& bytes = *decoded;
        return Bytes(bytes.begin(), bytes.end());
    }
    std::optional<StringList> stringList(const std::string& key) const override {
        auto p = payload(key, kList);
        if (!p) return std::nullopt;
        QJsonParseError error{};
        const auto doc = QJsonDocument::fromJson(p->toUtf8(), &error);
        if (error.error != QJsonParseError::NoError || !doc.isArray()) return std::nullopt;
        StringList list;
        for (const auto& v : doc.array()) {
            if (!v.isString()) return std::nullopt;
            list.push_back(v.toString().toStdString());
        }
        return list;
    }

    void setString(const std::string& key, const std::string& value) override {
        put(key, tagged(kString, qs(value)));
    }
    void setInteger(const std::string& key, std::int64_t value) override {
        put(key, tagged(kInteger, QString::number(static_cast<qlonglong>(value))));
    }
    void setReal(const std::string& key, double value) override {
        // 17 significant digits read back as the same double.
        put(key, tagged(kReal, QString::number(value, 'g', 17)));
    }
    void setBoolean(const std::string& key, bool value) override {
        put(key, tagged(kBoolean, value ? QStringLiteral("1") : QStringLiteral("0")));
    }
    void setData(const std::string& key, const Bytes& value) override {
        const QByteArray bytes(reinterpret_cast<const char*>(value.data()),
                               static_cast<qsizetype>(value.size()));
        put(key, tagged(kData, QString::fromLatin1(bytes.toBase64())));
    }
    void setStringList(const std::string& key, const StringList& value) override {
        QJsonArray array;
        for (const auto& s : value) array.append(qs(s));
        put(key,
            tagged(kList, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact))));
    }
    void remove(const std::string& key) override { put(key, std::nullopt); }
    void commitStrings(const StringChanges& changes) override {
        std::lock_guard lock(m_mutex);
        for (const auto& [key, value] : changes)
            m_pending[qs(key)] = value ? std::optional(tagged(kString, qs(*value))) : std::nullopt;
        // Now, even within an interval: one sync of the file carries them all.
        writePendingLocked();
    }

  private:
    std::unique_ptr<QSettings> open() const {
        if (m_file) return std::make_unique<QSettings>(*m_file, QSettings::IniFormat);
        return std::make_unique<QSettings>(m_organization, m_application);
    }

    std::optional<QString> payload(const std::string& key, char tag) const {
        std::lock_guard lock(m_mutex);
        QString text;
        if (auto held = m_pending.find(qs(key)); held != m_pending.end()) {
            if (!held->second) return std::nullopt;
            text = *held->second;
        } else {
            const QVariant v = open()->value(qs(key));
            if (!v.isValid()) return std::nullopt;
            text = v.toString();
        }
        if (text.size() < 2 || text[0] != QChar(tag) || text[1] != u':') return std::nullopt;
        return text.mid(2);
    }

    void put(const std::string& key, std::optional<QString> value) {
        std::lock_guard lock(m_mutex);
        m_pending[qs(key)] = std::move(value);
        if (m_timer && m_timer->isValid()) return;  // within an interval: written when it ends
        writePendingLocked();
        if (m_flushScheduler) startIntervalLocked();
    }

    /// Starts an interval during which writes are only gathered. When it
    /// ends with writes pending they are written and another interval
    /// starts; when nothing came, the suite goes back to writing through.
    void startIntervalLocked() {
        m_timer = m_flushScheduler->scheduleOnce(m_flushInterval, [weak = weak_from_this()] {
            auto self = weak.lock();
            if (!self) return;
            std::lock_guard lock(self->m_mutex);
            self->m_timer.reset();
            if (self->m_pending.empty()) return;
            self->writePendingLocked();
            self->startIntervalLocked();
        });
    }

    /// Writes the pending values. When the file cannot be written they stay
    /// pending (and readable) for the next attempt.
    void writePendingLocked() {
        if (m_pending.empty()) return;
        auto settings = open();
        for (const auto& [key, value] : m_pending) {
            if (value)
                settings->setValue(key, *value);
            else
                settings->remove(key);
        }
        settings->sync();
        if (settings->status() == QSettings::NoError) m_pending.clear();
    }

    std::optional<QString> m_file;
    QString m_organization;
    QString m_application;
    std::shared_ptr<Scheduler> m_flushScheduler;
    double m_flushInterval;
    mutable std::mutex m_mutex;
    std::map<QString, std::optional<QString>> m_pending;
    std::shared_ptr<Timer> m_timer;
};

}  // namespace

QtPreferencesStore::QtPreferencesStore(std::string organization, std::string application,
                                       std::shared_ptr<Scheduler> flushScheduler,
                                       double flushInterval)
    : m_organization(std::move(organization)),
      m_application(std::move(application)),
      m_flushScheduler(std::move(flushScheduler)),
      m_flushInterval(flushInterval) {}

QtPreferencesStore::QtPreferencesStore(std::filesystem::path folder, std::string application,
                                       std::shared_ptr<Scheduler> flushScheduler,
                                       double flushInterval)
    : m_folder(std::move(folder)),
      m_application(std::move(application)),
      m_flushScheduler(std::move(flushScheduler)),
      m_flushInterval(flushInterval) {}

QtPreferencesStore::~QtPreferencesStore() {
    flush();
}

void QtPreferencesStore::flush() {
    std::lock_guard lock(m_mutex);
    for (auto& [name, suite] : m_suites) std::static_pointer_cast<QtPreferences>(suite)->flush();
}

std::shared_ptr<Preferences> QtPreferencesStore::standard() {
    return open("");
}

std::shared_ptr<Preferences> QtPreferencesStore::suite(const std::string& name) {
    if (name.empty() || name.front() == '.' || name.find_first_of("/\\") != std::string::npos)
        throw std::invalid_argument(
            "preferences suite name \"" + name +
            "\" is not usable as a file name (empty, leading dot or a slash)");
    return open(name);
}

std::filesystem::path QtPreferencesStore::fileOf(const std::string& suiteName) const {
    const std::string base = suiteName.empty() ? m_application : suiteName;
    if (m_folder) return *m_folder / (base + ".conf");
    const QSettings settings(qs(m_organization), qs(base));
    return settings.fileName().toStdString();
}

std::shared_ptr<Preferences> QtPreferencesStore::open(const std::string& name) {
    std::lock_guard lock(m_mutex);
    auto& suite = m_suites[name];
    if (!suite) {
        const std::string base = name.empty() ? m_application : name;
        std::optional<QString> file;
        if (m_folder) file = QString::fromStdString((*m_folder / (base + ".conf")).string());
        suite = std::make_shared<QtPreferences>(file, qs(m_organization), qs(base),
                                                m_flushScheduler, m_flushInterval);
    }
    return suite;
}

}  // namespace fixtora
