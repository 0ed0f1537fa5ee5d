#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <optional>

class QLabel;
class QMediaPlayer;
class QSlider;
class QToolButton;
class VideoFrameView;

/*!
 * \brief The in-screen player: the video, fitted inside with its aspect ratio kept, above a row of
 * playback controls (play/pause, a seek bar, elapsed and total time).
 *
 * It shows whichever QMediaPlayer it is given; it does not own the player. Giving it a new player
 * detaches the previous one and forgets its last picture. While the video loads or waits for its
 * bytes the picture says so, and a video that cannot be played says why there, instead of an
 * empty black picture. A click on the seek bar jumps there; the arrow keys (and Page Up/Down,
 * Home/End) on it move the video too.
 */
class PlayerView : public QWidget
{
    Q_OBJECT

public:
    explicit PlayerView(QWidget *parent = nullptr);
    ~PlayerView() override;

    QMediaPlayer *player() const;
    void setPlayer(QMediaPlayer *player);

    Qt::AspectRatioMode videoGravity() const;
    void setVideoGravity(Qt::AspectRatioMode mode);

    bool showsPlaybackControls() const;
    void setShowsPlaybackControls(bool shows);

    VideoFrameView *videoSurface() const;
    QToolButton *playPauseButton() const;
    QSlider *seekBar() const;
    QLabel *timeLabel() const;
    /*! What the picture shows instead of the video: loading, waiting for data, or the error. */
    QLabel *statusLabel() const;

    /*! How far the arrow keys move the video, in milliseconds. */
    static constexpr int arrowStep = 5000;

    /*! "m:ss / m:ss" (or "h:mm:ss / …" for an hour or more) for \a position of \a duration, in
     *  milliseconds. */
    static QString timeText(qint64 position, qint64 duration);

private:
    void detachPlayer();
    void connectPlayer();
    void togglePlayback();
    void updatePlayPauseButton();
    void updateDuration(qint64 duration);
    void updatePosition(qint64 position);
    void updateStatus();
    void showError(const QString &errorString);
    void seekBarAction(int action);
    void seek(int position);
    void checkSeek();

    QPointer<QMediaPlayer> m_player;
    // A seek the player has not shown yet, and how often it was asked for again.
    std::optional<qint64> m_seekTarget;
    int m_seekRetries = 0;
    QTimer m_seekCheck;
    VideoFrameView *m_videoSurface;
    QWidget *m_controls;
    QToolButton *m_playPauseButton;
    QSlider *m_seekBar;
    QLabel *m_timeLabel;
    QLabel *m_statusLabel;
};
