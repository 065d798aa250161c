#include "app/dialogs/AboutForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSvgRenderer>
#include <QUrl>
#include <QVBoxLayout>

#include "app/widgets/QtText.h"
#include "app/widgets/UrlOpener.h"
#include "foundation/Globals.h"

// The banner lives in this static library; its resource is registered before the first use.
static void InitAboutResources() {
    Q_INIT_RESOURCE(quillmere);
}

namespace qm::app {

namespace {

constexpr int kClientWidth = 354;
constexpr int kClientHeight = 413;
constexpr int kBannerHeight = 96;

QPixmap BannerPixmap(qreal pixelRatio) {
    InitAboutResources();
    QSvgRenderer renderer(QStringLiteral(":/quillmere/banner.svg"));
    QPixmap pixmap(QSize(kClientWidth, kBannerHeight) * pixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    pixmap.setDevicePixelRatio(pixelRatio);
    return pixmap;
}

QLabel* MakeText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A link in blue, underlined; the pointer turns into a hand over it and Tab reaches it.
QLabel* MakeLink(const char* name, const char* address, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"%1\" style=\"color:#0000FF; text-decoration: "
                                  "underline;\">%1</a>")
                       .arg(QString::fromLatin1(address)));
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setToolTip(QString::fromLatin1(address));
    label->setCursor(Qt::PointingHandCursor);
    return label;
}

}  // namespace

TAboutBox::TAboutBox(UrlOpener& browser, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_browser(browser) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About Quillmere..."));
    setModal(true);

    BannerImage = new QLabel(this);
    BannerImage->setObjectName(QStringLiteral("BannerImage"));
    BannerImage->setPixmap(BannerPixmap(devicePixelRatioF()));
    BannerImage->setFixedSize(kClientWidth, kBannerHeight);

    // Bold and right-aligned over the banner's lower right corner.
    VersionLbl = new QLabel(tr("Version"), BannerImage);
    VersionLbl->setObjectName(QStringLiteral("VersionLbl"));
    QFont bold = VersionLbl->font();
    bold.setBold(true);
    VersionLbl->setFont(bold);
    VersionLbl->setAlignment(Qt::AlignRight | Qt::AlignBottom);
    VersionLbl->setStyleSheet(QStringLiteral("color: #FFFFFF; background: transparent;"));
    VersionLbl->setGeometry(kClientWidth - 150 - 10, kBannerHeight - 24, 150, 18);

    auto* body = new QWidget(this);
    auto* text = new QVBoxLayout(body);
    text->setContentsMargins(14, 10, 14, 10);
    text->setSpacing(6);

    QLabel* title = MakeText(tr("Quillmere, a duplicate file finder"), body);
    title->setFont(bold);
    text->addWidget(title);
    text->addWidget(MakeText(tr("Made by the Quillmere developers."), body));
    text->addWidget(MakeText(
        tr("Quillmere comes with no warranty of any kind. Look at what it reports before you "
           "remove a file: what is deleted or moved is your decision."),
        body));
    text->addSpacing(4);
    text->addWidget(MakeText(tr("For more information and help you can visit:"), body));

    auto* links = new QGridLayout;
    links->setContentsMargins(12, 0, 0, 0);
    links->setHorizontalSpacing(8);
    links->addWidget(MakeText(tr("Website:"), body), 0, 0);
    WebSiteLbl = MakeLink("WebSiteLbl", kWebSiteAddress, body);
    links->addWidget(WebSiteLbl, 0, 1);
    links->addWidget(MakeText(tr("Forums:"), body), 1, 0);
    ForumLbl = MakeLink("ForumLbl", kForumAddress, body);
    links->addWidget(ForumLbl, 1, 1);
    links->setColumnStretch(1, 1);
    text->addLayout(links);
    text->addSpacing(4);
    text->addWidget(MakeText(tr("Please report any bugs on the Quillmere forum. Also, if you "
                                "would like to see a feature added please post it on the forums."),
                             body));
    text->addWidget(MakeText(tr("Thanks for using Quillmere."), body));
    text->addStretch(1);

    OkBtn = new QPushButton(tr("&OK"), body);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    OkBtn->setMinimumWidth(90);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OkBtn);
    buttons->addStretch(1);
    text->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(BannerImage);
    layout->addWidget(body, 1);

    connect(OkBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(WebSiteLbl, &QLabel::linkActivated, this, &TAboutBox::WebSiteLblClick);
    connect(ForumLbl, &QLabel::linkActivated, this, &TAboutBox::ForumLblClick);

    // The client area is 354 by 413 pixels; it grows only when a large font needs it.
    setFixedSize(QSize(kClientWidth, kClientHeight).expandedTo(layout->minimumSize()));
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    VersionLbl->setText(Utf8Text(foundation::GetFileVersionText()));
    OkBtn->setFocus();
}

void TAboutBox::WebSiteLblClick() {
    m_browser.Open(QUrl(QString::fromLatin1(kWebSiteAddress)));
}

void TAboutBox::ForumLblClick() {
    m_browser.Open(QUrl(QString::fromLatin1(kForumAddress)));
}

}  // namespace qm::app
