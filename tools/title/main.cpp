// SPDX-License-Identifier: MIT
// fixtora-title: follows the title that the running Fixtora publishes on the
// session bus and prints a line for each change (or, with --once, the
// current one). It never asks the backend: without the app it prints an
// empty line and waits for the app to appear.
#include "TitleFormat.hpp"
#include "app/SessionBusTitle.hpp"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <cstdio>
#include <optional>

using fixtora::SessionBusTitle;
using namespace fixtora::title;

namespace {

QDBusMessage getAll() {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(SessionBusTitle::kService), QString::fromLatin1(SessionBusTitle::kPath),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("GetAll"));
    call << QString::fromLatin1(SessionBusTitle::kInterface);
    return call;
}

std::optional<Published> publishedIn(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    QVariantMap props;
    reply.arguments().at(0).value<QDBusArgument>() >> props;
    return Published{props.value(QStringLiteral("Title")).toString(),
                     props.value(QStringLiteral("FavouriteState")).toString(),
                     props.value(QStringLiteral("LiveScores")).toStringList()};
}

/// Prints a line whenever what it shows changes.
class Follower final : public QObject {
    Q_OBJECT
  public:
    Follower(QDBusConnection bus, Format format) : m_bus(std::move(bus)), m_format(format) {}

    void start() {
        const QString service = QString::fromLatin1(SessionBusTitle::kService);
        m_watcher =
            new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
        connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString&, const QString&, const QString& owner) {
                    if (owner.isEmpty())
                        print(std::nullopt);
                    else
                        fetch();
                });
        m_bus.connect(service, QString::fromLatin1(SessionBusTitle::kPath),
                      QString::fromLatin1(SessionBusTitle::kInterface), QStringLiteral("Changed"),
                      this, SLOT(onChanged(QString, QString, QStringList)));
        if (m_bus.interface()->isServiceRegistered(service).value())
            fetch();
        else
            print(std::nullopt);
    }

  public slots:
    void onChanged(const QString& title, const QString& state, const QStringList& scores) {
        print(Published{title, state, scores});
    }

  private:
    void fetch() {
        auto* pending = new QDBusPendingCallWatcher(m_bus.asyncCall(getAll()), this);
        connect(pending, &QDBusPendingCallWatcher::finished, this,
                [this](QDBusPendingCallWatcher* w) {
                    w->deleteLater();
                    if (auto published = publishedIn(w->reply())) print(published);
                });
    }

    void print(const std::optional<Published>& published) {
        const QString line = formatLine(published, m_format);
        if (m_printed && line == m_last) return;
        m_printed = true;
        m_last = line;
        std::fputs(line.toUtf8().append('\n').constData(), stdout);
        std::fflush(stdout);
    }

    QDBusConnection m_bus;
    Format m_format;
    QDBusServiceWatcher* m_watcher = nullptr;
    QString m_last;
    bool m_printed = false;
};

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("fixtora-title"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Prints the title of the running Fixtora, a line per change."));
    parser.addHelpOption();
    const QCommandLineOption formatOption(
        QStringLiteral("format"), QStringLiteral("Output format: plain (default) or waybar."),
        QStringLiteral("format"), QStringLiteral("plain"));
    const QCommandLineOption onceOption(QStringLiteral("once"),
                                        QStringLiteral("Print the current title and exit."));
    parser.addOption(formatOption);
    parser.addOption(onceOption);
    parser.process(app);

    Format format = Format::plain;
    if (parser.value(formatOption) == u"waybar")
        format = Format::waybar;
    else if (parser.value(formatOption) != u"plain") {
        std::fprintf(stderr, "fixtora-title: unknown format '%s' (plain or waybar)\n",
                     qPrintable(parser.value(formatOption)));
        return 2;
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (parser.isSet(onceOption)) {
        std::optional<Published> published;
        if (bus.isConnected()) published = publishedIn(bus.call(getAll(), QDBus::Block, 2000));
        std::printf("%s\n", formatLine(published, format).toUtf8().constData());
        return 0;
    }
    if (!bus.isConnected()) {
        std::fprintf(stderr, "fixtora-title: no D-Bus session bus\n");
        return 1;
    }
    Follower follower(bus, format);
    follower.start();
    return QCoreApplication::exec();
}

#include "main.moc"
