// Quillmere: the desktop duplicate-file finder. Reads no command-line arguments; its
// configuration is its settings file.
#include <QCoreApplication>
#include <QObject>

#include "app/QuillmereApplication.h"
#include "app/mainform/MainForm.h"
#include "app/widgets/GraphicHintWindow.h"
#include "app/widgets/QtText.h"
#include "platform/qt/SingleInstance.h"

int main(int argc, char** argv) {
    qm::app::QuillmereApplication application(argc, argv);
    // One instance per user and display: a second start brings the running window to the front
    // and ends before it makes a window or reads a setting.
    const std::unique_ptr<qm::platform::SingleInstance> instance =
        qm::platform::SingleInstance::ForThisSession();
    if (instance->Claim() == qm::platform::SingleInstance::Role::Second) {
        return 0;
    }
    qm::app::TGraphicHintWindow::Install();
    qm::app::TfrmMain window(qm::app::SettingsPlaces::ForUser(
        qm::app::PathBytes(QCoreApplication::applicationDirPath())));
    QObject::connect(instance.get(), &qm::platform::SingleInstance::ActivationRequested, &window,
                     &qm::app::TfrmMain::ActivationRequest);
    window.show();
    return application.exec();
}
