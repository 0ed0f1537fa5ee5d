#include "FailureReason.h"

#include <QMetaEnum>

QString FailureReason::code() const
{
    // The enumerator's name in lower case, its words joined by "_": "NotAPost" → "not_a_post".
    const QString name = QString::fromLatin1(QMetaEnum::fromType<Kind>().valueToKey(int(m_kind)));
    QString code;
    for (const QChar c : name) {
        if (c.isUpper() && !code.isEmpty())
            code += u'_';
        code += c.toLower();
    }
    return code;
}

QString FailureReason::description() const
{
    return isAboutTheItem() ? summary(m_kind) : technicalDescription();
}

QString FailureReason::technicalDescription() const
{
    const QString text = summary(m_kind);
    return m_detail.isEmpty() ? text : tr("%1: %2").arg(text, m_detail);
}

bool FailureReason::isAboutTheItem() const
{
    return m_kind >= Kind::Removed;
}

QString FailureReason::summary(Kind kind)
{
    switch (kind) {
    case Kind::NoVideoId:
        return tr("No video ID");
    case Kind::RedirectLoop:
        return tr("The short link redirects in a loop");
    case Kind::TooManyRedirects:
        return tr("The short link redirects too many times");
    case Kind::RefusedRedirect:
        return tr("A redirect was refused");
    case Kind::TlsError:
        return tr("The secure connection failed");
    case Kind::ConnectionRefused:
        return tr("The connection was refused");
    case Kind::TimedOut:
        return tr("The server stopped answering");
    case Kind::DeadlineExceeded:
        return tr("The parse took too long");
    case Kind::NetworkError:
        return tr("The request failed");
    case Kind::HttpStatus:
        return tr("The server answered with an error status");
    case Kind::TooLarge:
        return tr("The answer is too large");
    case Kind::NotUtf8:
        return tr("The share page is not UTF-8 text");
    case Kind::DecompressionFailed:
        return tr("The answer could not be decompressed");
    case Kind::Cancelled:
        return tr("Cancelled");
    case Kind::WriteFailed:
        return tr("The file could not be written");
    case Kind::WrongContent:
        return tr("The download is not what it claims to be");
    case Kind::IncompleteTransfer:
        return tr("The transfer did not bring the whole file");
    case Kind::AlbumCopyFailed:
        return tr("The copy into the album failed");
    case Kind::NothingToSave:
        return tr("The item has neither a video nor pictures");
    case Kind::Removed:
        return tr("The post has been deleted");
    case Kind::Private:
        return tr("The post is private: only its author can see it");
    case Kind::FriendsOnly:
        return tr("Only the author's friends can see this post");
    case Kind::ExpiredStory:
        return tr("The story has expired: stories last 24 hours");
    case Kind::NotAvailableHere:
        return tr("The post is not available here, for copyright or region");
    case Kind::Withheld:
        return tr("The platform withholds this post");
    case Kind::LoginRequired:
        return tr("The platform wants you to log in to see this post");
    case Kind::RateLimited:
        return tr("The platform is limiting requests: wait a while and try again");
    case Kind::Refused:
        return tr("The platform refused to answer a program");
    case Kind::NotAPost:
        return tr("This is not a post link");
    case Kind::PlatformChanged:
        return tr("The post could not be found: the platform may have changed how it serves "
                  "posts");
    }
    return QString();
}
