// SPDX-License-Identifier: MIT
#include "platform/linux/SniStatusItem.hpp"

#include "platform/AppLook.hpp"
#include "platform/linux/DBusMenuExporter.hpp"
#include "platform/linux/SniTypes.hpp"
#include "platform/qt/FootballIcon.hpp"
#include "platform/qt/ScreenPixels.hpp"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QtEndian>

#include <atomic>
#include <cstdio>
#include <stdexcept>

namespace fixtora {
namespace {

constexpr const char* kItemInterface = "org.kde.StatusNotifierItem";

// Distinguishes the items of one process in their bus names.
std::atomic<int> g_itemCount{0};

SniPixmaps footballPixmaps() {
    SniPixmaps out;
    for (int size : {16, 22, 24, 32, 48}) {
        const QImage img = FootballIcon::image(size).convertToFormat(QImage::Format_ARGB32);
        QByteArray bytes(static_cast<qsizetype>(size) * size * 4, Qt::Uninitialized);
        auto* dst = reinterpret_cast<uchar*>(bytes.data());
        for (int y = 0; y < size; ++y) {
            const auto* line = reinterpret_cast<const quint32*>(img.constScanLine(y));
            for (int x = 0; x < size; ++x, dst += 4) qToBigEndian<quint32>(line[x], dst);
        }
        out.append(SniPixmap{size, size, bytes});
    }
    return out;
}

}  // namespace

/// The object that the panel talks to: org.kde.StatusNotifierItem.
class SniItemObject final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconName READ emptyText)
    Q_PROPERTY(QString IconThemePath READ emptyText)
    Q_PROPERTY(fixtora::SniPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ emptyText)
    Q_PROPERTY(fixtora::SniPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ emptyText)
    Q_PROPERTY(fixtora::SniPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ emptyText)
    Q_PROPERTY(fixtora::SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ label)
    Q_PROPERTY(uint XAyatanaOrderingIndex READ orderingIndex)

  public:
    explicit SniItemObject(SniStatusItem& item) : m_item(item), m_pixmaps(footballPixmaps()) {}

    QString category() const { return QStringLiteral("ApplicationStatus"); }
    QString id() const { return QStringLiteral("fixtora"); }
    QString title() const { return QStringLiteral("Fixtora"); }
    QString status() const { return QStringLiteral("Active"); }
    int windowId() const { return 0; }
    QString emptyText() const { return {}; }
    SniPixmaps iconPixmap() const { return m_pixmaps; }
    SniPixmaps noPixmaps() const { return {}; }
    SniToolTip toolTip() const { return SniToolTip{{}, {}, title(), m_item.m_title}; }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const {
        return QDBusObjectPath(QString::fromLatin1(SniStatusItem::kMenuPath));
    }
    QString label() const { return SniStatusItem::labelOf(m_item.m_title); }
    uint orderingIndex() const { return 0; }

    /// Tells the panel that the label and the tooltip changed.
    void announceTitle() {
        emit NewToolTip();
        emit XAyatanaNewLabel(label(), label());
        QDBusMessage changed = QDBusMessage::createSignal(
            QString::fromLatin1(SniStatusItem::kItemPath),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        QVariantMap props;
        props.insert(QStringLiteral("XAyatanaLabel"), label());
        props.insert(QStringLiteral("XAyatanaLabelGuide"), label());
        props.insert(QStringLiteral("ToolTip"), QVariant::fromValue(toolTip()));
        changed << QString::fromLatin1(kItemInterface) << props << QStringList{};
        m_item.m_bus.send(changed);
    }

  public slots:
    void Activate(int x, int y) { m_item.clicked(x, y, true); }
    // A middle click: nothing of ours answers it (the menu has its own click).
    void SecondaryActivate(int, int) {}
    void ContextMenu(int x, int y) { m_item.clicked(x, y, false); }
    void Scroll(int, const QString&) {}

  signals:
    void NewTitle();
    void NewIcon();
    void NewAttentionIcon();
    void NewOverlayIcon();
    void NewToolTip();
    void NewStatus(const QString& status);
    void XAyatanaNewLabel(const QString& label, const QString& guide);

  private:
    SniStatusItem& m_item;
    SniPixmaps m_pixmaps;
};

QString SniStatusItem::labelOf(const QString& title) {
    // The panel draws the football icon right before the label.
    static const QString ball = QString::fromUtf8(kFootballSign.data(), kFootballSign.size());
    static const QString prefix = QString::fromUtf8(kTitlePrefix.data(), kTitlePrefix.size());
    if (title == ball) return {};
    if (title.startsWith(prefix)) return title.mid(prefix.size());
    return title;
}

SniStatusItem::SniStatusItem(MenuSource menu, QDBusConnection bus, QObject* parent)
    : StatusItem(parent),
      m_bus(std::move(bus)),
      m_serviceName(QStringLiteral("org.kde.StatusNotifierItem-%1-%2")
                        .arg(QCoreApplication::applicationPid())
                        .arg(++g_itemCount)) {
    registerSniTypes();
    if (!m_bus.isConnected())
        throw std::runtime_error("no D-Bus session bus for the status notifier item");
    m_object = std::make_unique<SniItemObject>(*this);
    m_menu = std::make_unique<DBusMenuExporter>(std::move(menu));
    if (!m_bus.registerObject(QString::fromLatin1(kItemPath), m_object.get(),
                              QDBusConnection::ExportAllContents) ||
        !m_bus.registerObject(QString::fromLatin1(kMenuPath), m_menu.get(),
                              QDBusConnection::ExportAllContents)) {
        m_bus.unregisterObject(QString::fromLatin1(kItemPath));
        throw std::runtime_error("the D-Bus paths of the status notifier item are taken: " +
                                 m_bus.lastError().message().toStdString());
    }
    if (!m_bus.registerService(m_serviceName)) {
        m_bus.unregisterObject(QString::fromLatin1(kItemPath));
        m_bus.unregisterObject(QString::fromLatin1(kMenuPath));
        throw std::runtime_error("cannot own the D-Bus name " + m_serviceName.toStdString() + ": " +
                                 m_bus.lastError().message().toStdString());
    }
    // A panel restart brings a new watcher that knows nothing of us.
    m_watcher = std::make_unique<QDBusServiceWatcher>(QString::fromLatin1(kWatcherService), m_bus,
                                                      QDBusServiceWatcher::WatchForRegistration);
    connect(m_watcher.get(), &QDBusServiceWatcher::serviceRegistered, this,
            &SniStatusItem::registerWithWatcher);
    registerWithWatcher();
}

SniStatusItem::~SniStatusItem() {
    m_bus.unregisterService(m_serviceName);
    m_bus.unregisterObject(QString::fromLatin1(kItemPath));
    m_bus.unregisterObject(QString::fromLatin1(kMenuPath));
}

void SniStatusItem::setTitle(const QString& title) {
    if (title == m_title) return;
    m_title = title;
    m_object->announceTitle();
}

QRect SniStatusItem::anchorRect() const {
    if (m_lastClick.isNull()) return {};
    // The panel tells only where it was clicked: assume an item of the usual
    // panel size around that point.
    return QRect(m_lastClick - QPoint(12, 12), QSize(24, 24));
}

void SniStatusItem::registerWithWatcher() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kWatcherService), QString::fromLatin1(kWatcherPath),
        QString::fromLatin1(kWatcherService), QStringLiteral("RegisterStatusNotifierItem"));
    call << m_serviceName;
    // Never block the user interface on the panel.
    auto* pending =
        new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);  // NOLINT: Qt parent ownership
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (w->isError()) {
            std::fprintf(stderr, "fixtora: the panel refused the status item: %s\n",
                         qPrintable(w->error().message()));
            return;
        }
        emit registered();
    });
}

void SniStatusItem::clicked(int x, int y, bool primary) {
    // (0, 0) is what panels send when they do not know the position; the
    // others send root-window device pixels, not Qt's logical ones.
    m_lastClick = (x == 0 && y == 0) ? QPoint() : ScreenPixels::toLogical(QPoint(x, y));
    if (primary)
        emit primaryClicked(m_lastClick);
    else
        emit secondaryClicked(m_lastClick);
}

}  // namespace fixtora

#include "SniStatusItem.moc"
