#include "screenreader.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <utility>
#include <vector>

namespace forms {

namespace {

const QString BusService = QStringLiteral("org.a11y.Bus");
const QString BusPath = QStringLiteral("/org/a11y/bus");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString Status = QStringLiteral("org.a11y.Status");

bool askDesktop()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage get = QDBusMessage::createMethodCall(BusService, BusPath, Properties, QStringLiteral("Get"));
    get << Status << QStringLiteral("ScreenReaderEnabled");
    // A desktop that does not answer soon has no screen reader to speak for it.
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
}

// Holds the last answer and listens for the desktop's switches.
class ReaderWatch : public QObject {
    Q_OBJECT
public:
    ReaderWatch()
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected())
            bus.connect(BusService, BusPath, Properties, QStringLiteral("PropertiesChanged"), this,
                SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
    }

    bool Running()
    {
        if (!running_) running_ = screenReaderEnabled ? screenReaderEnabled() : false;
        return *running_;
    }

    void Switched()
    {
        const bool before = Running();
        running_ = screenReaderEnabled ? screenReaderEnabled() : false;
        if (*running_ == before) return;
        // A follower may end while another is told.
        const auto followers = followers_;
        for (const auto& [owner, follow] : followers)
            if (owner) follow(*running_);
    }

    void Follow(QObject& owner, std::function<void(bool)> follow)
    {
        std::erase_if(followers_, [](const auto& f) { return f.first.isNull(); });
        followers_.emplace_back(&owner, std::move(follow));
    }

private Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap&, const QStringList&)
    {
        if (interface == Status) Switched();
    }

private:
    std::optional<bool> running_;
    std::vector<std::pair<QPointer<QObject>, std::function<void(bool)>>> followers_;
};

ReaderWatch& watch()
{
    static ReaderWatch* w = new ReaderWatch;
    return *w;
}

} // namespace

std::function<bool()> screenReaderEnabled = askDesktop;

bool ScreenReaderRuns()
{
    return watch().Running();
}

void ScreenReaderSwitched()
{
    watch().Switched();
}

void FollowScreenReader(QObject& owner, std::function<void(bool running)> follow)
{
    watch().Follow(owner, std::move(follow));
}

} // namespace forms

#include "screenreader.moc"
