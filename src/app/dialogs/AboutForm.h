#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace qm::app {

class UrlOpener;

// The product's web site and forum, opened from the Help menu and the About box.
inline constexpr const char* kWebSiteAddress = "https://quillmere.org/";
inline constexpr const char* kForumAddress = "https://quillmere.org/forum/";

// "About Quillmere...": a fixed-size box with the banner, the version, who makes the program, the
// web site and forum as links, and OK. Esc or OK closes it. Made for one use.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    // browser opens the links; it must outlive the box.
    explicit TAboutBox(UrlOpener& browser, QWidget* parent = nullptr);

    QLabel* BannerImage;
    QLabel* VersionLbl;
    QLabel* WebSiteLbl;
    QLabel* ForumLbl;
    QPushButton* OkBtn;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void WebSiteLblClick();
    void ForumLblClick();

    UrlOpener& m_browser;
};

}  // namespace qm::app
