#include "GalleryView.h"

#include "MediaFetch.h"
#include "OverlayControls.h"

#include <QBuffer>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPromise>
#include <QThreadPool>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr int thumbnailSize = 56;
constexpr int arrowSize = 32;

QImage decodeImage(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read();
}

// A chevron pointing right for the next picture, left for the previous one.
QIcon arrowIcon(bool pointsRight)
{
    return OverlayControls::icon(arrowSize, [pointsRight](QPainter &painter, qreal s) {
        QPolygonF chevron { QPointF(s * 0.38, s * 0.16), QPointF(s * 0.72, s * 0.5),
                            QPointF(s * 0.38, s * 0.84), QPointF(s * 0.28, s * 0.74),
                            QPointF(s * 0.52, s * 0.5),  QPointF(s * 0.28, s * 0.26) };
        if (!pointsRight)
            chevron = QTransform(-1, 0, 0, 1, s, 0).map(chevron);
        painter.drawPolygon(chevron);
    });
}

void paintBlack(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Text, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

GalleryView::GalleryView(QWidget *parent)
    : QWidget(parent)
    , m_pictureView(new QLabel(this))
    , m_previousButton(new QToolButton(this))
    , m_counterLabel(new QLabel(this))
    , m_nextButton(new QToolButton(this))
    , m_strip(new QListWidget(this))
{
    setAccessibleName(tr("Gallery"));
    setFocusPolicy(Qt::StrongFocus);
    paintBlack(this);

    m_pictureView->setAlignment(Qt::AlignCenter);
    m_pictureView->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_pictureView->setAccessibleName(tr("Picture"));
    m_pictureView->installEventFilter(this);
    OverlayControls::style(m_previousButton, arrowSize);
    m_previousButton->setIcon(arrowIcon(false));
    m_previousButton->setAccessibleName(tr("Previous picture"));
    m_previousButton->setToolTip(tr("Previous picture (Left)"));
    OverlayControls::style(m_nextButton, arrowSize);
    m_nextButton->setIcon(arrowIcon(true));
    m_nextButton->setAccessibleName(tr("Next picture"));
    m_nextButton->setToolTip(tr("Next picture (Right)"));
    m_counterLabel->setAlignment(Qt::AlignCenter);

    m_strip->setViewMode(QListView::IconMode);
    m_strip->setFlow(QListView::LeftToRight);
    m_strip->setWrapping(false);
    m_strip->setMovement(QListView::Static);
    m_strip->setIconSize(QSize(thumbnailSize, thumbnailSize));
    m_strip->setGridSize(QSize(thumbnailSize + 8, thumbnailSize + 8));
    m_strip->setFixedHeight(thumbnailSize + 12);
    m_strip->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_strip->setAccessibleName(tr("Pictures"));
    m_strip->setFrameShape(QFrame::NoFrame);
    paintBlack(m_strip);
    // Without a frame the style marks no focus: a ring does, as on the overlay buttons.
    m_strip->setStyleSheet(
        u"QListWidget { border: 2px solid transparent; border-radius: 6px; }"
        "QListWidget:focus { border-color: %1; }"_s.arg(OverlayControls::focusColor.name()));

    auto *navigation = new QHBoxLayout;
    navigation->setContentsMargins(6, 0, 6, 0);
    navigation->addWidget(m_previousButton);
    navigation->addWidget(m_counterLabel, 1);
    navigation->addWidget(m_nextButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(2);
    layout->addWidget(m_pictureView, 1);
    layout->addLayout(navigation);
    layout->addWidget(m_strip);

    connect(m_previousButton, &QToolButton::clicked, this, &GalleryView::showPrevious);
    connect(m_nextButton, &QToolButton::clicked, this, &GalleryView::showNext);
    connect(m_strip, &QListWidget::currentRowChanged, this, &GalleryView::setCurrentIndex);
    showCurrent();
}

GalleryView::~GalleryView() = default;

QStringList GalleryView::images() const
{
    return m_addresses;
}

void GalleryView::setImages(const QStringList &addresses)
{
    ++m_generation;
    m_addresses = addresses;
    m_pictures = QList<Picture>(addresses.size());
    m_current = addresses.isEmpty() ? -1 : 0;
    {
        const QSignalBlocker blocker(m_strip);
        m_strip->clear();
        for (int i = 0; i < addresses.size(); ++i) {
            auto *item = new QListWidgetItem(m_strip);
            item->setData(Qt::AccessibleTextRole, tr("Picture %1").arg(i + 1));
            item->setToolTip(addresses.at(i));
        }
        m_strip->setCurrentRow(m_current);
    }
    m_strip->setVisible(addresses.size() > 1);
    for (int i = 0; i < addresses.size(); ++i)
        fetch(i, QUrl(addresses.at(i), QUrl::StrictMode));
    showCurrent();
    Q_EMIT currentIndexChanged(m_current);
}

int GalleryView::currentIndex() const
{
    return m_current;
}

void GalleryView::setCurrentIndex(int index)
{
    if (index < 0 || index >= m_addresses.size() || index == m_current)
        return;
    m_current = index;
    {
        const QSignalBlocker blocker(m_strip);
        m_strip->setCurrentRow(index);
    }
    showCurrent();
    Q_EMIT currentIndexChanged(index);
}

void GalleryView::showNext()
{
    setCurrentIndex(m_current + 1);
}

void GalleryView::showPrevious()
{
    setCurrentIndex(m_current - 1);
}

QImage GalleryView::image(int index) const
{
    return index >= 0 && index < m_pictures.size() ? m_pictures.at(index).image : QImage();
}

bool GalleryView::hasFailed(int index) const
{
    return index >= 0 && index < m_pictures.size() && m_pictures.at(index).failed;
}

QLabel *GalleryView::pictureView() const
{
    return m_pictureView;
}

QLabel *GalleryView::counterLabel() const
{
    return m_counterLabel;
}

QToolButton *GalleryView::previousButton() const
{
    return m_previousButton;
}

QToolButton *GalleryView::nextButton() const
{
    return m_nextButton;
}

QListWidget *GalleryView::strip() const
{
    return m_strip;
}

void GalleryView::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        showPrevious();
        break;
    case Qt::Key_Right:
        showNext();
        break;
    case Qt::Key_Home:
        setCurrentIndex(0);
        break;
    case Qt::Key_End:
        setCurrentIndex(int(m_addresses.size()) - 1);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

// The gallery itself takes the focus (for its keys): its mark is a ring over the picture.
void GalleryView::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    OverlayControls::paintFocusRing(this);
}

void GalleryView::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void GalleryView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

// The picture is scaled to its view's size once the layout has given the view that size.
bool GalleryView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pictureView && event->type() == QEvent::Resize)
        showCurrent();
    return QWidget::eventFilter(watched, event);
}

void GalleryView::fetch(int index, const QUrl &url)
{
    MediaFetch::toMemory(
        url, maximumImageBytes, this,
        [this, generation = m_generation, index](const MediaFetch::Answer &answer) {
            if (generation != m_generation)
                return;
            if (answer.failure)
                settle(index, QImage());
            else
                decode(index, answer.bytes);
        });
}

// Decoding a large photo takes tens of milliseconds: it runs on a worker thread.
void GalleryView::decode(int index, const QByteArray &bytes)
{
    auto promise = std::make_shared<QPromise<QImage>>();
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcherBase::finished, this,
            [this, watcher, index, generation = m_generation] {
                const QImage image = watcher->result();
                watcher->deleteLater();
                if (generation == m_generation)
                    settle(index, image);
            });
    watcher->setFuture(promise->future());
    QThreadPool::globalInstance()->start([promise, bytes] {
        promise->start();
        promise->addResult(decodeImage(bytes));
        promise->finish();
    });
}

void GalleryView::settle(int index, const QImage &image)
{
    Picture &picture = m_pictures[index];
    picture.image = image;
    picture.failed = image.isNull();
    if (!image.isNull()) {
        const QPixmap thumbnail = QPixmap::fromImage(image.scaled(
            thumbnailSize, thumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        m_strip->item(index)->setIcon(QIcon(thumbnail));
    }
    if (index == m_current)
        showCurrent();
    Q_EMIT imageSettled(index);
}

void GalleryView::showCurrent()
{
    const int count = int(m_addresses.size());
    m_previousButton->setEnabled(m_current > 0);
    m_nextButton->setEnabled(m_current >= 0 && m_current + 1 < count);
    m_counterLabel->setText(count > 0 ? tr("%1 / %2").arg(m_current + 1).arg(count) : QString());
    const QImage picture = image(m_current);
    if (!picture.isNull()) {
        const QSize room = m_pictureView->size();
        m_pictureView->setPixmap(QPixmap::fromImage(
            room.isEmpty() ? picture
                           : picture.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        return;
    }
    m_pictureView->setPixmap(QPixmap());
    m_pictureView->setText(hasFailed(m_current) ? tr("This picture could not be loaded")
                               : count > 0      ? tr("Loading the picture…")
                                                : QString());
}
