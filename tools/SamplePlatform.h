#pragma once

#include "Endpoints.h"
#include "ItemMusic.h"
#include "VideoGear.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

/*!
 * \brief A loopback HTTP and HTTPS server that plays the video platform's part, for the tests and
 * for `kivora --demo`.
 *
 * It serves short links (`/<code>/`, redirect chains of configurable length) that end at share
 * pages (`/share/video/<id>/?region=CN&mid=…`) or another long link, share pages whose inline
 * script assigns the router data, the item endpoint (`/web/api/v2/aweme/slidesinfo/?aweme_ids=[<id>]`)
 * on the share origin, the long links of the web site (`/video/<id>`, `/note/<id>`,
 * `/jingxuan?modal_id=<id>`), the play address (`/aweme/v1/play/?video_id=<uri>`) that redirects
 * to a real sample video, and gallery images. Faults can be switched on at any time from any
 * thread. Every request is recorded, with the connection that carried it.
 *
 * Hosts are named "localhost" by default, or by the address given to setHostName() (such as
 * "127.0.0.1"); the server listens on both loopback addresses. Short links and share pages are
 * served over HTTPS with the committed self-signed certificate (see caCertificates()), valid for
 * both names and compiled in like the sample media; the web origin, and so the play address and
 * the media, over plain HTTP so that any media player can open them.
 *
 * The server runs on threads of its own; start() returns once both ports accept connections.
 */
class SamplePlatform
{
public:
    /*! How a share page writes its router data. */
    enum class PageVariant {
        Real,                   //!< `window._ROUTER_DATA = {…}</script>`: no ";" after the object
        WithSemicolon,          //!< `window._ROUTER_DATA = {…};`
        WithoutWindowPrefix,    //!< `_ROUTER_DATA={…};` with no window prefix and no spaces
        BraceSemicolonInDesc,   //!< the description holds "};", and there is no ";" after the object
        Gallery,                //!< a picture gallery: the item has `images`
        MissingFields,          //!< the item lacks author, cover and play address
        NoRouterData,           //!< a page without router data
        EmptyItemList,          //!< `item_list` is an empty array
        HostilePlayId,          //!< a video whose play identifier holds "&", "#", "=", a space
                                //!< and Chinese text, as a hostile page may write it
        LivePhotos,             //!< a slides post whose first and last pictures carry clips,
                                //!< with the platform's silent MP3 as its "video"
    };

    /*! One item the platform knows. */
    struct Item
    {
        QString videoId;        //!< decimal digits
        QString shortCode;      //!< letters, digits, '_' and '-'
        PageVariant variant = PageVariant::Real;
        QString nickname;       //!< empty when the page has none
        QString description;
        QString playUri;        //!< the play identifier; empty when the page has none
        QString coverUrl;       //!< empty when the page has none
        QStringList imageUrls;  //!< gallery images, in order (the JPEG of each picture)
        QStringList clipUrls;   //!< beside imageUrls: each picture's clip, empty where none
        QList<VideoGear> gears; //!< the video's renditions ("bit_rate")
        std::optional<ItemMusic> music; //!< "music"; its url empty: an empty "url_list"
        QString soundTrack;     //!< a gallery's "video" address: its music's MP3 or the
                                //!< platform's silent one
    };

    /*! What a share page holds in place of the item (every item's page). */
    enum class PageShape {
        Full, //!< the page as the variant of its item writes it
        NoRouterData, //!< a complete page without router data
        EmptyItemList, //!< router data whose item list is empty
        Shell, //!< a small page that renders itself in the browser, without router data
        ErrorPage, //!< "抱歉出错了": an error page, without router data
        WatchInApp, //!< "请尝试在抖音内观看": a page that sends the visitor to the app
        ScriptCheck, //!< a page that sets the "__ac_nonce" cookie and runs a challenge script
    };

    /*! How the item endpoint answers. */
    enum class ItemEndpointMode {
        Serving, //!< the item; a gallery's images only with "request_source=200"
        Empty, //!< 200 with an empty body
        Forbidden, //!< 403
        Filtered, //!< "aweme_details": null and a "filter_list" entry with filterReason
        FilterDetail, //!< an empty "aweme_details" and "filter_detail" with filterReason
        Deleted, //!< the item, its "status" saying "is_delete"
        OnlyMe, //!< the item, its "private_status" 1
        FriendsOnly, //!< the item, its "private_status" 2
        StatusCode, //!< "aweme_details": null and "status_code" statusCode
        TooManyRequests, //!< 429 with an empty body
        SecurityBlock, //!< 403 text/plain "Blocked by ArgusSecurityPlugin", as signed
                       //!< endpoints answer scripted clients
        ScriptCheck, //!< a script-check page (see PageShape::ScriptCheck)
    };

    /*! Where a short link's redirect chain ends; the forms of the long links. */
    enum class LongLinkForm {
        ShareVideo, //!< `{share origin}/share/video/<id>/?region=CN&…`
        ShareNote, //!< `{share origin}/share/note/<id>/`
        ShareSlides, //!< `{share origin}/share/slides/<id>/`
        MobileShareVideo, //!< `{share origin}/share/video/<id>`, as m.douyin.com writes it
        WebVideo, //!< `{web origin}/video/<id>`
        WebNote, //!< `{web origin}/note/<id>`
        Jingxuan, //!< `{web origin}/jingxuan?modal_id=<id>`, where jx.douyin.com links end
        JingxuanMobile, //!< `{web origin}/m/video/<id>`, as jingxuan.douyin.com writes it
        WebSlides, //!< `{web origin}/slides/<id>`
        Profile, //!< `{share origin}/share/user/MS4wLjABAAAA…`: a user's profile, no post
        OtherSite, //!< a video page on another host (the other loopback name), no post
    };

    /*! The steps a body fault applies to. */
    enum Step {
        ShortLinkStep = 0x1, //!< the redirect answers of short links
        SharePageStep = 0x2,
        ItemEndpointStep = 0x4,
        MediaStep = 0x8,
        EveryStep = 0xF,
    };

    /*! How bodies that are cut on purpose go on. */
    enum class BodyFault {
        None,
        Endless, //!< part of the body, then padding as fast as the client reads, for ever
        Dripping, //!< part of the body, then one byte per dripIntervalMs, for ever
    };

    /*! Faults; all off by default. */
    struct Faults
    {
        int latencyMs = 0;          //!< delay before every response
        bool stall = false;         //!< bodies: send the headers and part of the body, then hang
                                    //!< until the client leaves or stop() (then reset)
        bool resetMidBody = false;  //!< bodies: send part of the body, then reset the connection
        int errorStatus = 0;        //!< share pages: the page with this status; media: this
                                    //!< status with a short HTML body
        bool hugePage = false;      //!< share pages: pad the page to over 16 MiB
        qint64 pagePadding = 0;     //!< share pages: pad the page by this many bytes
        bool invalidUtf8 = false;   //!< share pages: put invalid UTF-8 bytes into the page
        bool brokenCompression = false; //!< share pages and the item endpoint: a gzip body
                                        //!< that cannot be unpacked
        bool redirectLoop = false;  //!< short links: redirect to themselves for ever
        bool insecureRedirect = false; //!< short links: redirect to themselves over plain http
        int redirectHops = 1;       //!< short links: number of redirects before the share page
                                    //!< (0: the short link answers with the page itself)
        LongLinkForm shortLinkTarget = LongLinkForm::ShareVideo; //!< where short links end
        PageShape pageShape = PageShape::Full; //!< share pages: what they hold
        ItemEndpointMode itemEndpoint = ItemEndpointMode::Serving;
        QString filterReason = QStringLiteral("status_deleted"); //!< for the filtering modes
        int statusCode = 8;         //!< for ItemEndpointMode::StatusCode
        BodyFault bodyFault = BodyFault::None; //!< at the steps in bodyFaultSteps
        int bodyFaultSteps = EveryStep;
        int dripIntervalMs = 1000;  //!< the pause between two bytes of a dripping body
        bool emptyMedia = false;    //!< media: a 200 answer with an empty body
        bool nonVideoMedia = false; //!< media: a text body served as text/plain
        bool closeMidBody = false;  //!< bodies: send part of the body, then close the
                                    //!< connection in order (no reset)
        bool noContentLength = false; //!< media: no Content-Length; the body ends with the
                                      //!< connection
        bool chunked = false;       //!< media: chunked transfer coding, no Content-Length
        bool gzipMedia = false;     //!< media: gzip-encoded, whatever the request accepts
        bool corruptGzip = false;   //!< with gzipMedia: the compressed bytes damaged half-way
        int faultyMediaAnswers = 0; //!< media: errorStatus, stall, resetMidBody and closeMidBody
                                    //!< hit only the first this many media answers after
                                    //!< setFaults() (0: every one)
        bool ignoreRange = false;   //!< media: a Range request gets the whole body (200)
        bool noValidators = false;  //!< media: no ETag and no Last-Modified
        bool ignoreIfRange = false; //!< media: a Range request gets its range even when its
                                    //!< If-Range names another version
        bool unsatisfiableRange = false; //!< media: every Range request gets 416
    };

    /*! One request as the server received it. */
    struct Request
    {
        QByteArray method;
        QByteArray target;  //!< path and query as sent
        QList<QPair<QByteArray, QByteArray>> headers;  //!< in the order received
        bool https = false;
        int connection = 0; //!< the same number for requests that came over one connection

        /*! The value of the header \a name (case-insensitive), or a null array. */
        QByteArray header(const QByteArray &name) const;
    };

    SamplePlatform();
    ~SamplePlatform();
    SamplePlatform(const SamplePlatform &) = delete;
    SamplePlatform &operator=(const SamplePlatform &) = delete;

    /*! Listens on free loopback ports, HTTP and HTTPS. False (with a warning) when it cannot. */
    bool start();
    /*! Listens on the given ports (0: a free one). */
    bool start(quint16 httpPort, quint16 httpsPort);
    void stop();

    quint16 httpPort() const;
    quint16 httpsPort() const;

    /*! The name of the hosts in every address the platform gives out: "localhost" (the default),
     *  "127.0.0.1" or "[::1]". */
    QString hostName() const;
    void setHostName(const QString &hostName);

    /*! Short links and share pages on https://<host name>:<httpsPort>, web origin on
     *  http://<host name>:<httpPort>. */
    Endpoints endpoints() const;

    /*! The certificate the HTTPS side presents, in PEM (trust it as a CA). */
    static QByteArray caCertificates();
    /*! A file holding caCertificates(), for programs and options that take a file; written once
     *  per process and removed when it ends. */
    static QString caCertificatesPath();

    /*! The items the platform serves; the first one is a plain video with a Real page. */
    QList<Item> items() const;
    /*! Adds \a item to the items served, for texts of a test's own. Its cover is the sample
     *  cover and its imageUrls name sample pictures ("image-1.jpg" to "image-3.jpg"), unless they
     *  are addresses already ("http…", another server's, say); returns it with their addresses
     *  filled in. */
    Item addItem(Item item);
    /*! The item with \a variant (the first one if several). */
    Item item(PageVariant variant) const;
    /*! A share text as the app's share sheet writes it, holding the item's short link. */
    QString shareText(const Item &item) const;
    /*! The short link of \a item, e.g. https://localhost:4443/AbC-12_xYz/ */
    QString shortLink(const Item &item) const;
    /*! The long link of \a item in \a form. */
    QString longLink(const Item &item, LongLinkForm form) const;
    /*! The addresses a picture's "url_list" gives for the JPEG \a jpeg, in the platform's order:
     *  two WebP renditions, then the JPEG. */
    static QStringList pictureAddresses(const QString &jpeg);

    /*! The item endpoint's address for \a videoId, with "request_source=200" when asked. */
    QString itemEndpointUrl(const QString &videoId, bool withRequestSource = false) const;

    /*! The bytes of the sample video that the media address serves. */
    static QByteArray sampleVideo();
    /*! The media address the play address redirects to. */
    QString mediaUrl() const;
    /*! An address on the web origin that serves \a body with \a contentType and, when not empty,
     *  \a contentDisposition; for download tests. */
    QString customMediaUrl(const QByteArray &body, const QByteArray &contentType,
                           const QByteArray &contentDisposition = {});

    /*! An address on the web origin whose n-th answer serves the n-th of \a versions (the last
     *  one from then on), with \a contentType: a file that changes between requests. */
    QString versionedMediaUrl(const QList<QByteArray> &versions, const QByteArray &contentType);

    /*! An address on the web origin that serves the sample video followed by padding, \a size
     *  bytes in all, without holding them in memory; for large downloads. */
    QString paddedMediaUrl(qint64 size);

    Faults faults() const;
    void setFaults(const Faults &faults);

    /*! The requests received so far, in order. Qt 6.4 now and then sends a request that is
     *  answered with a redirect twice: count distinct targets rather than requests. */
    QList<Request> requests() const;
    void clearRequests();
    /*! The numbers (Request::connection) of the connections that carried requests and are
     *  closed now, in the order they closed. A body that never ends (BodyFault) notices that
     *  its client has gone at its next write. */
    QList<int> closedConnections() const;
    /*! The connection that carried the first request whose target starts with \a targetPrefix,
     *  or 0 when none has come. */
    int connectionOf(const QByteArray &targetPrefix) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
