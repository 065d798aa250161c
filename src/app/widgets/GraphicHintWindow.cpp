#include "app/widgets/GraphicHintWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHelpEvent>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyle>
#include <QToolTip>

#include "app/widgets/AppFont.h"

namespace qm::app {

namespace {

// Asks the widgets for their hint 50 ms after the pointer comes to rest.
class HintTimingStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay) {
            return TGraphicHintWindow::kShowDelayMs;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QPointer<TGraphicHintWindow> g_instance;

// The hint of the item under pos when widget is an item view's viewport (the results tree's
// rows have one each); empty when there is none.
QString ItemHintAt(QWidget* widget, const QPoint& pos) {
    auto* view = qobject_cast<QAbstractItemView*>(widget->parentWidget());
    if (view == nullptr || view->viewport() != widget) {
        return {};
    }
    return view->indexAt(pos).data(Qt::ToolTipRole).toString();
}

// The hint of a control: its own tooltip, else that of the nearest parent inside its window.
QString HintOf(QWidget* widget, QWidget** owner) {
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (!w->toolTip().isEmpty()) {
            *owner = w;
            return w->toolTip();
        }
        if (w->isWindow()) {
            break;
        }
    }
    *owner = nullptr;
    return {};
}

}  // namespace

TGraphicHintWindow::TGraphicHintWindow()
    : QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("HintWindow"));
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setFont(ClosestFont(QStringLiteral("Tahoma"), 9));
    setPalette(QToolTip::palette());
    setAutoFillBackground(true);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setFrameShape(QFrame::Box);
    setMargin(2);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_hideTimer.setSingleShot(true);
    connect(&m_hideTimer, &QTimer::timeout, this, &TGraphicHintWindow::HideHint);
}

void TGraphicHintWindow::Install() {
    if (g_instance) {
        return;
    }
    // The application owns the style it is given, and deletes the hint window with itself; the
    // analyzer follows neither.
    // NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
    if (!dynamic_cast<HintTimingStyle*>(QApplication::style())) {
        QApplication::setStyle(new HintTimingStyle(QApplication::style()->name()));
    }
    const QFont hintFont = ClosestFont(QStringLiteral("Tahoma"), 9);
    QToolTip::setFont(hintFont);
    g_instance = new TGraphicHintWindow();
    QObject::connect(qApp, &QObject::destroyed, g_instance.data(), &QObject::deleteLater);
    qApp->installEventFilter(g_instance);
    // NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
}

TGraphicHintWindow* TGraphicHintWindow::Instance() {
    return g_instance;
}

void TGraphicHintWindow::ShowHint(const QString& text, const QPoint& globalPos, QWidget* control) {
    if (text.isEmpty()) {
        HideHint();
        return;
    }
    m_control = control;
    setText(text);
    // Wrap at one third of the width of the screen the pointer is on.
    QScreen* screen = QGuiApplication::screenAt(globalPos);
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    const int maxWidth = area.width() / 3;
    const int chrome = 2 * (margin() + frameWidth());
    const QRect textRect =
        fontMetrics().boundingRect(QRect(0, 0, maxWidth - chrome, 100000), Qt::TextWordWrap, text);
    setFixedSize(std::min(maxWidth, textRect.width() + chrome + 1), textRect.height() + chrome);

    QPoint pos = globalPos + QPoint(2, 20);
    if (pos.x() + width() > area.right()) {
        pos.setX(std::max(area.left(), area.right() - width()));
    }
    if (pos.y() + height() > area.bottom()) {
        pos.setY(std::max(area.top(), globalPos.y() - height() - 4));
    }
    move(pos);
    show();
    raise();
    m_hideTimer.start(kHidePauseMs);
}

void TGraphicHintWindow::HideHint() {
    m_hideTimer.stop();
    m_control = nullptr;
    hide();
}

bool TGraphicHintWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ToolTip: {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (!widget) {
                break;
            }
            const auto* help = static_cast<QHelpEvent*>(event);
            QWidget* owner = widget;
            QString hint = ItemHintAt(widget, help->pos());
            if (hint.isEmpty()) {
                hint = HintOf(widget, &owner);
            }
            ShowHint(hint, help->globalPos(), owner);
            return true;  // the standard tooltip never shows
        }
        case QEvent::Leave:
            if (watched == m_control && isVisible()) {
                HideHint();
            }
            break;
        case QEvent::MouseButtonPress:
        case QEvent::KeyPress:
        case QEvent::Wheel:
        case QEvent::WindowDeactivate:
            if (isVisible()) {
                HideHint();
            }
            break;
        default:
            break;
    }
    return QLabel::eventFilter(watched, event);
}

}  // namespace qm::app
