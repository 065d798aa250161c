#include "app/dialogs/MessageBoxPrompter.h"

#include <QMessageBox>

namespace qm::app {

namespace {
const QString kTitle = QStringLiteral("Quillmere");
}

bool MessageBoxPrompter::Ask(const std::string& question) {
    return QMessageBox::question(m_parent, kTitle, QString::fromStdString(question),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool MessageBoxPrompter::AskInformation(const std::string& question) {
    QMessageBox box(QMessageBox::Information, kTitle, QString::fromStdString(question),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompter::Inform(const std::string& message) {
    QMessageBox::information(m_parent, kTitle, QString::fromStdString(message));
}

void MessageBoxPrompter::ShowError(const std::string& message) {
    QMessageBox::critical(m_parent, kTitle, QString::fromStdString(ErrorDisplayText(message)));
}

std::string ErrorDisplayText(const std::string& message) {
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') {
        return message + ".";
    }
    return message;
}

}  // namespace qm::app
