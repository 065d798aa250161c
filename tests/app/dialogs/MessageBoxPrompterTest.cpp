// The text of the general error display.
#include <QTest>
#include <string>

#include "app/dialogs/MessageBoxPrompter.h"

class MessageBoxPrompterTest : public QObject {
    Q_OBJECT
private slots:
    void ErrorDisplayText();
};

void MessageBoxPrompterTest::ErrorDisplayText() {
    // A full stop is appended when the last character sorts after ".".
    QCOMPARE(qm::app::ErrorDisplayText("Invalid mask"), std::string("Invalid mask."));
    QCOMPARE(qm::app::ErrorDisplayText("Cannot open /tmp/a"), std::string("Cannot open /tmp/a."));
    QCOMPARE(qm::app::ErrorDisplayText("Done."), std::string("Done."));
    QCOMPARE(qm::app::ErrorDisplayText("Stop!"), std::string("Stop!"));
    QCOMPARE(qm::app::ErrorDisplayText("(x)"), std::string("(x)"));
    QCOMPARE(qm::app::ErrorDisplayText(""), std::string(""));
}

QTEST_MAIN(MessageBoxPrompterTest)
#include "MessageBoxPrompterTest.moc"
