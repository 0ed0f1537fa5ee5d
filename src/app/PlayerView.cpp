#include "PlayerView.h"

#include "OverlayControls.h"
#include "VideoFrameView.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QPainter>
#include <QProxyStyle>
#include <QSlider>
#include <QStyleOptionComplex>
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

// A click on the bar jumps to the place clicked (the style's default moves a page towards it), and
// the focus is marked with a ring: the style's own mark, a lighter handle, is hardly seen on black.
class SeekBarStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == QStyle::SH_Slider_AbsoluteSetButtons)
            return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option,
                            QPainter *painter, const QWidget *widget) const override
    {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control != CC_Slider || !option->state.testFlag(State_HasFocus))
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(OverlayControls::focusColor, 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(1, 1, -1, -1), 6, 6);
        painter->restore();
    }
};

QIcon playbackIcon(bool playing)
{
    return OverlayControls::icon(playbackIconSize, [playing](QPainter &painter, qreal s) {
        if (playing) {
            painter.drawRoundedRect(QRectF(s * 0.22, s * 0.18, s * 0.2, s * 0.64), 1.5, 1.5);
            painter.drawRoundedRect(QRectF(s * 0.58, s * 0.18, s * 0.2, s * 0.64), 1.5, 1.5);
        } else {
            painter.drawPolygon(QPolygonF { QPointF(s * 0.25, s * 0.15), QPointF(s * 0.85, s * 0.5),
                                            QPointF(s * 0.25, s * 0.85) });
        }
    });
}

} // namespace

PlayerView::PlayerView(QWidget *parent)
    : QWidget(parent)
    , m_videoSurface(new VideoFrameView(this))
    , m_controls(new QWidget(this))
    , m_playPauseButton(new QToolButton(m_controls))
    , m_seekBar(new QSlider(Qt::Horizontal, m_controls))
    , m_timeLabel(new QLabel(timeText(0, 0), m_controls))
    , m_statusLabel(new QLabel(m_videoSurface))
{
    setAccessibleName(tr("Video player"));
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);

    m_playPauseButton->setAccessibleName(tr("Play"));
    OverlayControls::style(m_playPauseButton, playbackIconSize);
    m_seekBar->setAccessibleName(tr("Position"));
    m_seekBar->setAccessibleDescription(tr("Left and Right move the video by 5 seconds"));
    m_seekBar->setSingleStep(arrowStep);
    m_seekBar->setPageStep(6 * arrowStep);
    m_seekBar->setFocusPolicy(Qt::StrongFocus);
    auto *seekBarStyle = new SeekBarStyle;
    seekBarStyle->setParent(m_seekBar);
    m_seekBar->setStyle(seekBarStyle);
    m_timeLabel->setAccessibleName(tr("Time"));

    m_statusLabel->setAlignment(Qt::AlignCenter);
    m_statusLabel->setWordWrap(true);
    m_statusLabel->setTextFormat(Qt::PlainText);
    m_statusLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *statusLayout = new QVBoxLayout(m_videoSurface);
    statusLayout->setContentsMargins(12, 12, 12, 12);
    statusLayout->addWidget(m_statusLabel);

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
    connect(m_seekBar, &QSlider::actionTriggered, this, &PlayerView::seekBarAction);
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

QLabel *PlayerView::statusLabel() const
{
    return m_statusLabel;
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
        connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &PlayerView::updateStatus);
        connect(
            m_player, &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString &errorString) { showError(errorString); });
        updateDuration(m_player->duration());
    }
    updatePlayPauseButton();
    updateStatus();
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

// Loading and waiting are said over the picture; an error stays until the next player.
void PlayerView::updateStatus()
{
    if (m_player && m_player->error() != QMediaPlayer::NoError) {
        showError(m_player->errorString());
        return;
    }
    const QMediaPlayer::MediaStatus status
        = m_player ? m_player->mediaStatus() : QMediaPlayer::NoMedia;
    switch (status) {
    case QMediaPlayer::LoadingMedia:
        m_statusLabel->setText(tr("Loading the video…"));
        break;
    case QMediaPlayer::StalledMedia:
    case QMediaPlayer::BufferingMedia:
        m_statusLabel->setText(tr("Waiting for the video's data…"));
        break;
    case QMediaPlayer::InvalidMedia:
        showError(QString());
        return;
    default:
        m_statusLabel->clear();
    }
}

void PlayerView::showError(const QString &errorString)
{
    const QString reason = errorString.isEmpty() ? tr("The file is not a video") : errorString;
    m_statusLabel->setText(tr("The video cannot be played") + u'\n' + reason);
    QAccessibleEvent alert(m_statusLabel, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

// Keys and clicks beside the handle move the slider without a drag: the video follows.
void PlayerView::seekBarAction(int action)
{
    if (action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction)
        seek(m_seekBar->sliderPosition());
}

void PlayerView::seek(int position)
{
    if (!m_player)
        return;
    // A video played to its end stops and shows nothing: a seek brings its picture back, paused.
    if (m_player->playbackState() == QMediaPlayer::StoppedState
        && m_player->mediaStatus() == QMediaPlayer::EndOfMedia)
        m_player->pause();
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
