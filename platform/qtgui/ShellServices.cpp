#include "platform/qtgui/ShellServices.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

#include "platform/posix/FileUrl.h"
#include "platform/posix/FreedesktopTrash.h"
#include "platform/qt/ByteText.h"
#include "platform/qtgui/DesktopOpen.h"
#include "platform/qtgui/GioApplications.h"
#include "platform/qtgui/QtMessageSink.h"

namespace scoutwell {

namespace {

constexpr const char* kFileManagerService = "org.freedesktop.FileManager1";
constexpr const char* kFileManagerObject = "/org/freedesktop/FileManager1";
constexpr const char* kFileManagerInterface = "org.freedesktop.FileManager1";
// A file manager started by the bus for the call may take a few seconds to answer.
constexpr int kFileManagerTimeoutMs = 10000;

ShellServices* installed = nullptr;

// One FileManager1 call with one file's URL and no start-up id; true on a reply.
bool callFileManager(const char* method, const std::string& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kFileManagerService), QString::fromLatin1(kFileManagerObject),
        QString::fromLatin1(kFileManagerInterface), QString::fromLatin1(method));
    // The URL is plain ASCII: every other byte of the path is percent-encoded.
    call << QStringList{QString::fromLatin1(fileUrlFromPath(path))} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, kFileManagerTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

}  // namespace

std::vector<std::string> DesktopShellServices::recommendedApplications(const std::string& path) {
    return recommendedApplicationIds(path);
}

std::vector<std::string> DesktopShellServices::fallbackApplications(const std::string& path) {
    return fallbackApplicationIds(path);
}

std::optional<std::string> DesktopShellServices::applicationName(const std::string& id) {
    return scoutwell::applicationName(id);
}

bool DesktopShellServices::launchApplication(const std::string& id,
                                             const std::vector<std::string>& paths,
                                             std::string& reason) {
    return scoutwell::launchApplication(id, paths, reason);
}

bool DesktopShellServices::openWithDefault(const std::string& path, std::string& reason) {
    return openWithDefaultApplication(
        QUrl::fromEncoded(QByteArray::fromStdString(fileUrlFromPath(path))), reason);
}

bool DesktopShellServices::showItems(const std::string& path) {
    return callFileManager("ShowItems", path);
}

bool DesktopShellServices::offersItemProperties() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface* names = bus.isConnected() ? bus.interface() : nullptr;
    if (!names)
        return false;
    const QString service = QString::fromLatin1(kFileManagerService);
    if (names->isServiceRegistered(service))
        return true;
    const QDBusReply<QStringList> activatable = names->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(service);
}

bool DesktopShellServices::showItemProperties(const std::string& path) {
    return callFileManager("ShowItemProperties", path);
}

bool DesktopShellServices::confirm(const std::string& question) {
    const QMessageBox::StandardButton answer = QMessageBox::question(
        QApplication::activeWindow(), QString::fromLatin1(kMessageBoxCaption),
        qStringFromBytes(question), QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer == QMessageBox::Yes;
}

bool DesktopShellServices::moveToTrash(const std::string& path) {
    return scoutwell::moveToTrash(path);
}

ShellServices& shellServices() {
    static DesktopShellServices desktop;
    return installed ? *installed : desktop;
}

void setShellServices(ShellServices* services) {
    installed = services;
}

}  // namespace scoutwell
