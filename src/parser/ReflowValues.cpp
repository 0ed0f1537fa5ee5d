#include "ReflowValues.h"

#include <QRegularExpression>
#include <QUrlQuery>

#include <openssl/evp.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int keyBytes = 16;

// The opening tag of the element whose id is \a id, or empty.
QString tagWithId(const QString &page, const QString &id)
{
    const QRegularExpression idAttribute(u"\\bid\\s*=\\s*[\"']"_s + QRegularExpression::escape(id)
                                         + u"[\"']"_s);
    const QRegularExpressionMatch match = idAttribute.match(page);
    if (!match.hasMatch())
        return {};
    const qsizetype open = page.lastIndexOf(u'<', match.capturedStart());
    const qsizetype close = page.indexOf(u'>', match.capturedEnd());
    if (open < 0 || close < 0)
        return {};
    return page.mid(open, close - open + 1);
}

QString attribute(const QString &tag, const QString &name)
{
    const QRegularExpression pattern(u"\\s"_s + QRegularExpression::escape(name)
                                         + u"\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)')"_s,
                                     QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(tag);
    if (!match.hasMatch())
        return {};
    QString value = match.captured(1) + match.captured(2);
    value.replace(u"&quot;"_s, u"\""_s).replace(u"&#39;"_s, u"'"_s).replace(u"&amp;"_s, u"&"_s);
    return value;
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

// AES-128-CBC with PKCS#7 padding, key and IV both the first 16 bytes of \a webId.
QByteArray runCipher(const QByteArray &input, const QByteArray &webId, bool encrypting)
{
    if (webId.size() < keyBytes)
        return {};
    const auto *key = reinterpret_cast<const unsigned char *>(webId.constData());
    CipherContext context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
    if (!context
        || EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, key, key,
                             encrypting ? 1 : 0)
            != 1)
        return {};
    QByteArray output(input.size() + EVP_MAX_BLOCK_LENGTH, Qt::Uninitialized);
    auto *out = reinterpret_cast<unsigned char *>(output.data());
    int written = 0;
    int last = 0;
    if (EVP_CipherUpdate(context.get(), out, &written,
                         reinterpret_cast<const unsigned char *>(input.constData()),
                         int(input.size()))
            != 1
        || EVP_CipherFinal_ex(context.get(), out + written, &last) != 1)
        return {};
    output.truncate(written + last);
    return output;
}

} // namespace

std::optional<ReflowValues> ReflowValues::fromPage(const QByteArray &page)
{
    const QString text = QString::fromUtf8(page);
    const QString webIdTag = tagWithId(text, u"douyin_reflow_webId"_s);
    const QString tokenTag = tagWithId(text, u"douyin_reflow_token"_s);
    ReflowValues values;
    values.m_webId = attribute(webIdTag, u"webId"_s);
    values.m_userCip = attribute(webIdTag, u"usercip"_s);
    values.m_xssToken = attribute(tokenTag, u"xsstoken"_s);
    if (values.m_webId.toUtf8().size() < keyBytes || values.m_xssToken.isEmpty())
        return std::nullopt;
    return values;
}

QByteArray ReflowValues::reflowId() const
{
    return encrypt(m_xssToken.toUtf8(), m_webId.toUtf8()).toBase64();
}

QUrl ReflowValues::itemInfoUrl(const QString &shareOrigin, const QString &videoId) const
{
    QUrl url(shareOrigin + u"/web/api/v2/aweme/iteminfo/"_s);
    QUrlQuery query;
    query.addQueryItem(u"reflow_source"_s, u"reflow_page"_s);
    query.addQueryItem(u"web_id"_s, m_webId);
    query.addQueryItem(u"device_id"_s, m_webId);
    query.addQueryItem(u"aid"_s, u"1128"_s);
    query.addQueryItem(u"item_ids"_s, videoId);
    // Base64 holds '+', '/' and '=', which a query must carry encoded.
    query.addQueryItem(
        u"reflow_id"_s,
        QString::fromLatin1(QUrl::toPercentEncoding(QString::fromLatin1(reflowId()))));
    query.addQueryItem(u"user_cip"_s, m_userCip);
    url.setQuery(query);
    return url;
}

QByteArray ReflowValues::encrypt(const QByteArray &plain, const QByteArray &webId)
{
    return runCipher(plain, webId, true);
}

QByteArray ReflowValues::decrypt(const QByteArray &cipher, const QByteArray &webId)
{
    return runCipher(cipher, webId, false);
}
