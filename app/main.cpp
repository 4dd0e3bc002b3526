// Program entry: one instance per user. A second start hands its command-line path to
// the running instance and ends with exit code 1; otherwise the main window opens.
#include <QDir>

#include "app/commandlinepath.h"
#include "app/tkelmorapplication.h"
#include "app/tmainform.h"
#include "app/tsingleinstance.h"
#include "window/tmdichild.h"

int main(int argc, char** argv) {
    kelmor::TKelmorApplication application(argc, argv);
    const QString path = kelmor::GetCommandLinePath(application.arguments().mid(1), QDir::currentPath());
    const QString serverName = kelmor::TSingleInstance::ServerName();
    if (kelmor::TSingleInstance::HandOver(serverName, path)) return 1;

    kelmor::TSingleInstance instance;
    // Another start may have taken the name a moment ago: hand over to it instead.
    if (!instance.Listen(serverName) && kelmor::TSingleInstance::HandOver(serverName, path)) return 1;

    kelmor::TMainForm::TStartOptions options;
    options.commandLinePath = path;
    options.openSampleWhenIdle = true;
    options.registerFileAssociation = qEnvironmentVariableIsEmpty("KELMOR_NO_FILE_ASSOCIATION");
    kelmor::TMainForm mainForm(options);
    mainForm.SetDatabaseWindowFactory(kelmor::TMDIChild::Factory());
    QObject::connect(&instance, &kelmor::TSingleInstance::TextReceived, &mainForm, &kelmor::TMainForm::ReceiveHandOver,
                     Qt::QueuedConnection);
    mainForm.show();
    mainForm.activateWindow();
    return application.exec();
}
