#include "Fen_QorProgressHUDAppearance.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMetaObject>
#include <QWidget>

namespace {

struct Entry
{
    const QMetaObject *viewClass;
    QByteArray attribute;
    QVariant value;
};

// Few entries (one per attribute the application styles), kept in the order they were first set.
QList<Entry> &entries()
{
    static QList<Entry> list;
    return list;
}

Entry *find(const QMetaObject &viewClass, const QByteArray &attribute)
{
    for (Entry &entry : entries()) {
        if (entry.viewClass == &viewClass && entry.attribute == attribute)
            return &entry;
    }
    return nullptr;
}

} // namespace

void Fen_QorProgressHUDAppearance::setValue(const QMetaObject &viewClass, const char *attribute,
                                            const QVariant &value)
{
    const QByteArray name(attribute);
    if (!value.isValid()) {
        entries().removeIf([&](const Entry &entry) {
            return entry.viewClass == &viewClass && entry.attribute == name;
        });
    } else if (Entry *entry = find(viewClass, name)) {
        entry->value = value;
    } else {
        entries().append(Entry { &viewClass, name, value });
    }
}

QVariant Fen_QorProgressHUDAppearance::value(const QMetaObject &viewClass, const char *attribute)
{
    const Entry *entry = find(viewClass, QByteArray(attribute));
    return entry ? entry->value : QVariant();
}

void Fen_QorProgressHUDAppearance::clear()
{
    entries().clear();
}

void Fen_QorProgressHUDAppearance::applyTo(QWidget *view)
{
    QList<const QMetaObject *> lineage;
    for (const QMetaObject *meta = view->metaObject(); meta; meta = meta->superClass())
        lineage.prepend(meta);
    for (const QMetaObject *meta : std::as_const(lineage)) {
        for (const Entry &entry : std::as_const(entries())) {
            if (entry.viewClass == meta)
                view->setProperty(entry.attribute.constData(), entry.value);
        }
    }
}
