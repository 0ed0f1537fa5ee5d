#pragma once

#include <QImage>
#include <QList>
#include <QStringList>
#include <QWidget>

class QLabel;
class QListWidget;
class QToolButton;
class QUrl;

/*!
 * \brief The pictures of a gallery item, shown in the player's place: the current one large,
 * fitted inside with its aspect ratio kept, above previous/next buttons with "2 / 3" between them
 * and a strip of thumbnails.
 *
 * Left and Right (also Home and End) move through the pictures, as do the buttons, the strip and
 * its arrow keys. The pictures are fetched as the addresses arrive (MediaFetch: bounded in size
 * and time, redirects as every request follows them), and decoded off the screen's thread; one that
 * cannot be fetched or decoded says so in its place.
 */
class GalleryView : public QWidget
{
    Q_OBJECT

public:
    /*! The largest picture fetched, in bytes. */
    static constexpr qint64 maximumImageBytes = 32 * 1024 * 1024;

    explicit GalleryView(QWidget *parent = nullptr);
    ~GalleryView() override;

    QStringList images() const;
    /*! Shows the pictures at \a addresses, the first one large; drops what an earlier call
     *  was still fetching. */
    void setImages(const QStringList &addresses);

    int currentIndex() const;
    void setCurrentIndex(int index);
    void showNext();
    void showPrevious();

    /*! The decoded picture \a index; null until it has arrived or when it failed. */
    QImage image(int index) const;
    bool hasFailed(int index) const;

    QLabel *pictureView() const;
    QLabel *counterLabel() const;
    QToolButton *previousButton() const;
    QToolButton *nextButton() const;
    QListWidget *strip() const;

Q_SIGNALS:
    void currentIndexChanged(int index);
    /*! Picture \a index has arrived, or failed (hasFailed()). */
    void imageSettled(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Picture
    {
        QImage image;
        bool failed = false;
    };

    void fetch(int index, const QUrl &url);
    void decode(int index, const QByteArray &bytes);
    void settle(int index, const QImage &image);
    void showCurrent();

    QStringList m_addresses;
    QList<Picture> m_pictures;
    int m_current = -1;
    quint64 m_generation = 0; // answers for an earlier set of pictures are dropped
    QLabel *m_pictureView;
    QToolButton *m_previousButton;
    QLabel *m_counterLabel;
    QToolButton *m_nextButton;
    QListWidget *m_strip;
};
