#pragma once

#include <QString>
#include <QStringList>

/*!
 * \brief The file name a download is saved under, from a template with fields: {id}, {name} (the
 * author), {title}, {type}, {index} (a gallery picture's number, "cover" for the cover, empty for
 * a video) and {ext} (the extension of the kind expected; the download replaces it with the
 * content's own).
 *
 * Each field is made safe as file names are (no path separators, control characters, invisible
 * or direction marks), and the whole name is kept within SuggestedFileName::maxBytes bytes of
 * UTF-8 by shortening the title, then the author, on a character boundary, so the ID survives.
 * The default template is readable: "{name} - {title} [{id}]", " {index}" for pictures, then
 * ".{ext}", leaving out the parts whose fields are empty.
 */
class FileNameTemplate
{
public:
    struct Fields
    {
        QString id;
        QString name;
        QString title;
        QString type;
        QString index;
        QString ext;
    };

    /*! The template \a text; empty means the default. */
    explicit FileNameTemplate(const QString &text = QString());

    /*! True for the default template. */
    bool isDefault() const { return m_text.isEmpty(); }
    /*! Why the template cannot be used (an unknown field, a path separator), or empty. */
    QString error() const;
    /*! The file name for \a fields. */
    QString render(const Fields &fields) const;

    static QStringList fieldNames();

private:
    QString substituted(const Fields &fields) const;

    QString m_text;
};
