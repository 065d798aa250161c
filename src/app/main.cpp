// Quillmere: the desktop duplicate-file finder. Reads no command-line arguments and no
// environment variables; its configuration is its settings file.
#include "app/QuillmereApplication.h"
#include "app/mainform/MainForm.h"
#include "app/widgets/GraphicHintWindow.h"

int main(int argc, char** argv) {
    qm::app::QuillmereApplication application(argc, argv);
    qm::app::TGraphicHintWindow::Install();
    qm::app::TfrmMain window;
    window.show();
    return application.exec();
}
