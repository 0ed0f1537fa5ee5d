// kivora-cli's name template (--output): a template from the user, field values from a page.
#include "FileNameTemplate.h"
#include "NameChecks.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;
using FuzzChecks::require;
using NameChecks::checkSafe;

namespace {

// A real ID: digits and ASCII letters only, so no making safe can touch it.
bool isPlainId(const QString &id)
{
    static const QRegularExpression plain(u"\\A[0-9A-Za-z]+\\z"_s);
    return plain.match(id).hasMatch();
}

bool hasFields(const QString &text)
{
    static const QRegularExpression field(u"\\{[^{}]*\\}"_s);
    return text.contains(field);
}

// Only the title and the author give way to the byte cap: when the name without them keeps the
// ID and has room to spare, the name with them keeps it too.
void checkIdSurvives(const FileNameTemplate &nameTemplate, const FileNameTemplate::Fields &fields,
                     const QString &name)
{
    if (!isPlainId(fields.id))
        return;
    FileNameTemplate::Fields fixed = fields;
    fixed.title.clear();
    fixed.name.clear();
    const QString fixedName = nameTemplate.render(fixed);
    // A device name ("CON") gains a leading '_', which may cost the stem its last byte.
    if (fixedName.contains(fields.id) && fixedName.toUtf8().size() < SuggestedFileName::maxBytes)
        require(name.contains(fields.id), "the title and the author give way, not the ID", name);
}

// A template without fields names every item alike.
void checkFixedName(const FileNameTemplate &nameTemplate, const QString &text, const QString &name)
{
    if (text.isEmpty() || hasFields(text))
        return;
    require(name == nameTemplate.render({}), "a template without fields gives a stable name", name);
    require(name == SuggestedFileName::sanitize(text),
            "a template without fields gives its own text made safe", name);
}

} // namespace

// The input is split at its bytes 0xFF (never part of UTF-8): the template text, then the ID,
// author, title, type, index and extension. Field values may hold newlines and NULs, as JSON can.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QList<QByteArray> parts = FuzzChecks::bytes(data, size).split('\xff');
    const auto part = [&parts](int i) { return QString::fromUtf8(parts.value(i)); };
    const QString text = part(0);
    const FileNameTemplate::Fields fields { part(1), part(2), part(3), part(4), part(5), part(6) };

    const FileNameTemplate nameTemplate(text);
    const bool usable = nameTemplate.error().isEmpty();
    require(usable || !text.isEmpty(), "the default template is usable");
    const QString name = nameTemplate.render(fields);
    // kivora-cli refuses an unusable template before it names anything; its name need only be
    // made without a crash.
    if (!usable)
        return 0;
    checkSafe(name);
    require(name == nameTemplate.render(fields), "the same fields give the same name", name);
    checkIdSurvives(nameTemplate, fields, name);
    checkFixedName(nameTemplate, text, name);
    return 0;
}
