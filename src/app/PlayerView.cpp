#include "PlayerView.h"

#include "VideoFrameView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QPainter>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr int playbackIconSize = 24;

QString clockText(qint64 milliseconds, bool withHours)
{
    const qint64 seconds = qMax<qint64>(0, milliseconds) / 1000;
    const QString minutesAndSeconds = u"%1:%2"_s
                                          .arg(withHours ? (seconds / 60) % 60 : seconds / 60,
                                               withHours ? 2 : 1, 10, QLatin1Char('0'))
                                          .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return withHours ? u"%1:"_s.arg(seconds / 3600) + minutesAndSeconds : minutesAndSeconds;
}

// The play and pause symbols in white, drawn here: the style's own are dark grey, which cannot be
// seen on the player's black.
QIcon playbackIcon(bool playing)
{
    QIcon icon;
    for (const auto &[mode, color] : { std::pair { QIcon::Normal, QColor(Qt::white) },
                                       std::pair { QIcon::Disabled, QColor(0x6e, 0x6e, 0x73) } }) {
        QPixmap pixmap(playbackIconSize, playbackIconSize);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        const qreal s = playbackIconSize;
        if (playing) {
            painter.drawRoundedRect(QRectF(s * 0.22, s * 0.18, s * 0.2, s * 0.64), 1.5, 1.5);
            painter.drawRoundedRect(QRectF(s * 0.58, s * 0.18, s * 0.2, s * 0.64), 1.5, 1.5);
        } else {
            painter.drawPolygon(QPolygonF { QPointF(s * 0.25, s * 0.15), QPointF(s * 0.85, s * 0.5),
                                            QPointF(s * 0.25, s * 0.85) });
        }
        painter.end();
        icon.addPixmap(pixmap, mode);
    }
    return icon;
}

} // namespace

PlayerView::PlayerView(QWidget *parent)
    : QWidget(parent)
    , m_videoSurface(new VideoFrameView(this))
    , m_controls(new QWidget(this))
    , m_playPauseButton(new QToolButton(m_controls))
    , m_seekBar(new QSlider(Qt::Horizontal, m_controls))
    , m_timeLabel(new QLabel(timeText(0, 0), m_controls))
{
    setAccessibleName(tr("Video player"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);

    m_playPauseButton->setAccessibleName(tr("Play"));
    m_playPauseButton->setAutoRaise(true);
    m_playPauseButton->setIconSize(QSize(playbackIconSize, playbackIconSize));
    m_seekBar->setAccessibleName(tr("Position"));
    m_timeLabel->setAccessibleName(tr("Time"));

    auto *controlsLayout = new QHBoxLayout(m_controls);
    controlsLayout->setContentsMargins(6, 2, 6, 2);
    controlsLayout->addWidget(m_playPauseButton);
    controlsLayout->addWidget(m_seekBar, 1);
    controlsLayout->addWidget(m_timeLabel);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_videoSurface, 1);
    layout->addWidget(m_controls);

    connect(m_playPauseButton, &QToolButton::clicked, this, &PlayerView::togglePlayback);
    connect(m_seekBar, &QSlider::sliderMoved, this, &PlayerView::seek);
    connect(m_seekBar, &QSlider::sliderReleased, this, [this] { seek(m_seekBar->value()); });
    m_seekCheck.setInterval(100);
    connect(&m_seekCheck, &QTimer::timeout, this, &PlayerView::checkSeek);
    updatePlayPauseButton();
}

PlayerView::~PlayerView()
{
    detachPlayer();
}

QMediaPlayer *PlayerView::player() const
{
    return m_player;
}

void PlayerView::setPlayer(QMediaPlayer *player)
{
    if (m_player == player)
        return;
    detachPlayer();
    m_player = player;
    m_videoSurface->clear();
    connectPlayer();
}

Qt::AspectRatioMode PlayerView::videoGravity() const
{
    return m_videoSurface->aspectRatioMode();
}

void PlayerView::setVideoGravity(Qt::AspectRatioMode mode)
{
    m_videoSurface->setAspectRatioMode(mode);
}

bool PlayerView::showsPlaybackControls() const
{
    return !m_controls->isHidden();
}

void PlayerView::setShowsPlaybackControls(bool shows)
{
    m_controls->setVisible(shows);
}

VideoFrameView *PlayerView::videoSurface() const
{
    return m_videoSurface;
}

QToolButton *PlayerView::playPauseButton() const
{
    return m_playPauseButton;
}

QSlider *PlayerView::seekBar() const
{
    return m_seekBar;
}

QLabel *PlayerView::timeLabel() const
{
    return m_timeLabel;
}

QString PlayerView::timeText(qint64 position, qint64 duration)
{
    const bool withHours = duration >= 3600 * 1000;
    return clockText(position, withHours) + u" / "_s + clockText(duration, withHours);
}

void PlayerView::detachPlayer()
{
    m_seekTarget.reset();
    m_seekCheck.stop();
    if (!m_player)
        return;
    m_player->disconnect(this);
    if (m_player->videoSink() == m_videoSurface->videoSink())
        m_player->setVideoSink(nullptr);
}

void PlayerView::connectPlayer()
{
    m_seekBar->setRange(0, 0);
    m_timeLabel->setText(timeText(0, 0));
    if (m_player) {
        m_player->setVideoSink(m_videoSurface->videoSink());
        connect(m_player, &QMediaPlayer::playbackStateChanged, this,
                &PlayerView::updatePlayPauseButton);
        connect(m_player, &QMediaPlayer::durationChanged, this, &PlayerView::updateDuration);
        connect(m_player, &QMediaPlayer::positionChanged, this, &PlayerView::updatePosition);
        updateDuration(m_player->duration());
    }
    updatePlayPauseButton();
}

void PlayerView::togglePlayback()
{
    if (!m_player)
        return;
    if (m_player->playbackState() == QMediaPlayer::PlayingState)
        m_player->pause();
    else
        m_player->play();
}

void PlayerView::updatePlayPauseButton()
{
    const bool playing = m_player && m_player->playbackState() == QMediaPlayer::PlayingState;
    m_playPauseButton->setIcon(playbackIcon(playing));
    m_playPauseButton->setAccessibleName(playing ? tr("Pause") : tr("Play"));
    m_playPauseButton->setEnabled(m_player != nullptr);
}

void PlayerView::updateDuration(qint64 duration)
{
    // The slider counts in milliseconds; an int holds over 24 days of video.
    m_seekBar->setRange(0, static_cast<int>(qMin<qint64>(duration, INT_MAX)));
    updatePosition(m_player ? m_player->position() : 0);
}

void PlayerView::updatePosition(qint64 position)
{
    if (!m_seekBar->isSliderDown())
        m_seekBar->setValue(static_cast<int>(qMin<qint64>(position, INT_MAX)));
    m_timeLabel->setText(timeText(position, m_player ? m_player->duration() : 0));
}

void PlayerView::seek(int position)
{
    if (!m_player)
        return;
    m_seekTarget = position;
    m_seekRetries = 0;
    m_player->setPosition(position);
    m_seekCheck.start();
}

// The media backend drops a seek that arrives while the pipeline cannot answer a duration query
// (while it changes state, right after a pause, say). A paused player's position stands still,
// so there the seek is asked for again until the position shows it; a playing one is trusted.
void PlayerView::checkSeek()
{
    constexpr qint64 tolerance = 100;
    constexpr int maximumRetries = 20;
    const bool settled = !m_player || !m_seekTarget
        || m_player->playbackState() != QMediaPlayer::PausedState
        || std::abs(m_player->position() - *m_seekTarget) <= tolerance;
    if (settled || m_seekBar->isSliderDown() || m_seekRetries >= maximumRetries) {
        m_seekTarget.reset();
        m_seekCheck.stop();
        return;
    }
    ++m_seekRetries;
    m_player->setPosition(*m_seekTarget);
}
