#include "FailureReason.h"

QString FailureReason::description() const
{
    const QString text = summary(m_kind);
    return m_detail.isEmpty() ? text : tr("%1: %2").arg(text, m_detail);
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
    case Kind::NoRouterData:
        return tr("The share page holds no router data");
    case Kind::NoItem:
        return tr("Neither the share page nor the item endpoint holds the item");
    case Kind::PlatformRefused:
        return tr("The platform refused to answer");
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
    }
    return QString();
}
