#pragma once

#include <QTimer>
#include <QWidget>

#include "app/widgets/PictureDecoder.h"

namespace qm::app {

// A picture control: shows a decoded picture scaled down to fit with its proportions kept, never
// larger than the picture itself, centred. With animation on it plays the frames of an animated
// GIF at their delays, as often as the file asks; hidden, it pauses. Without, or for a still
// picture, it shows the first frame.
class PictureView : public QWidget {
    Q_OBJECT
public:
    PictureView(bool animate, QWidget* parent = nullptr);

    void SetPicture(DecodedPicture picture);
    const DecodedPicture& Picture() const { return m_picture; }
    bool HasPicture() const { return !m_picture.IsNull(); }
    bool Animates() const { return m_animate; }
    // The frame on show: 0 for a still picture.
    int CurrentFrame() const { return m_frame; }
    bool Playing() const { return m_timer.isActive(); }
    // Where the picture is drawn, in the control's coordinates; empty without a picture.
    QRect PictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool Animated() const { return m_animate && m_picture.IsAnimated(); }
    void ScheduleNextFrame();
    void NextFrame();

    bool m_animate;
    DecodedPicture m_picture;
    int m_frame = 0;
    int m_loopsDone = 0;
    bool m_finished = false;  // the animation has played as often as it asks
    QTimer m_timer;
};

}  // namespace qm::app
