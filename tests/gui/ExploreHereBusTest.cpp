// Explore here on a session bus of the test's own (the gui.explore-here-on-a-private-bus
// test starts it with dbus-run-session): a FileManager1 service gets one ShowItems call per
// file; without one, the folder opens with the default application.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QMutex>
#include <QMutexLocker>
#include <QThread>
#include <QUrl>
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/qtgui/DesktopOpen.h"
#include "platform/qtgui/ShellServices.h"
#include "views/ShellFileMenu.h"

namespace scoutwell {
namespace {

class FakeFileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

  public:
    QStringList calls() {
        QMutexLocker guard(&lock_);
        return calls_;
    }

  public slots:
    void ShowItems(const QStringList& uris, const QString& startupId) {
        QMutexLocker guard(&lock_);
        calls_ << QStringLiteral("ShowItems ") + uris.join(u' ') + u'|' + startupId;
    }
    void ShowItemProperties(const QStringList& uris, const QString& startupId) {
        QMutexLocker guard(&lock_);
        calls_ << QStringLiteral("ShowItemProperties ") + uris.join(u' ') + u'|' + startupId;
    }

  private:
    QMutex lock_;
    QStringList calls_;
};

TEST(ExploreHereOnBusTest, ShowItemsPerFileElseTheFolderOpens) {
    if (!std::getenv("SCOUTWELL_PRIVATE_BUS"))
        GTEST_SKIP() << "runs on the private bus of gui.explore-here-on-a-private-bus";
    QStringList opened;
    setDesktopOpener([&](const QUrl& url, std::string&) {
        opened << QString::fromLatin1(url.toEncoded());
        return true;
    });
    DesktopShellServices shell;
    const std::vector<std::string> paths{"/tmp/a b/x.txt", "/tmp/a b/y\xFF.txt"};

    EXPECT_FALSE(shell.offersItemProperties());
    exploreHere(paths, shell);
    EXPECT_EQ(opened, (QStringList{"file:///tmp/a%20b/", "file:///tmp/a%20b/"}));

    // The file manager answers on a connection and a thread of its own, as another process
    // would, while the caller waits for its reply.
    QThread serviceThread;
    serviceThread.start();
    FakeFileManager fake;
    fake.moveToThread(&serviceThread);
    QDBusConnection service =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("file-manager"));
    ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &fake,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.FileManager1")));

    opened.clear();
    exploreHere(paths, shell);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(shell.offersItemProperties());
    EXPECT_TRUE(shell.showItemProperties(paths[0]));
    EXPECT_EQ(fake.calls(), (QStringList{"ShowItems file:///tmp/a%20b/x.txt|",
                                         "ShowItems file:///tmp/a%20b/y%FF.txt|",
                                         "ShowItemProperties file:///tmp/a%20b/x.txt|"}));

    service.unregisterService(QStringLiteral("org.freedesktop.FileManager1"));
    service.unregisterObject(QStringLiteral("/org/freedesktop/FileManager1"));
    QDBusConnection::disconnectFromBus(QStringLiteral("file-manager"));
    QThread* testThread = QThread::currentThread();
    QMetaObject::invokeMethod(
        &fake, [&fake, testThread] { fake.moveToThread(testThread); },
        Qt::BlockingQueuedConnection);
    serviceThread.quit();
    serviceThread.wait();
    setDesktopOpener({});
}

}  // namespace
}  // namespace scoutwell

#include "ExploreHereBusTest.moc"
