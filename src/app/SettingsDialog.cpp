#include "SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;
using Key = Settings::Key;

SettingsDialog::SettingsDialog(Settings *settings, QWidget *parent)
    : QDialog(parent), m_settings(settings), m_form(new QFormLayout), m_problem(new QLabel(this))
{
    setWindowTitle(tr("Settings"));
    setMinimumWidth(520);
    addFolderRow(Key::VideoFolder, tr("&Video folder"));
    addFolderRow(Key::PictureFolder, tr("&Picture folder"));

    auto *nameTemplate = new QLineEdit(this);
    nameTemplate->setPlaceholderText(u"{name} - {title} [{id}].{ext}"_s);
    nameTemplate->setAccessibleDescription(
        tr("Fields: {id}, {name} (the author), {title}, {type}, {index}, {ext}. Empty: the "
           "default."));
    addRow(Key::NameTemplate, tr("File &names"), nameTemplate);

    auto *parallel = new QSpinBox(this);
    parallel->setRange(1, Settings::mostParallel);
    addRow(Key::Parallel, tr("Parallel &downloads"), parallel);

    auto *quality = new QComboBox(this);
    quality->setEditable(true);
    quality->addItems({ u"best"_s, u"worst"_s, u"1080p"_s, u"720p"_s, u"540p"_s });
    addRow(Key::Quality, tr("&Quality"), quality);

    auto *codec = new QComboBox(this);
    codec->addItems({ u"h264"_s, u"h265"_s, u"bytevc2"_s, u"any"_s });
    addRow(Key::Codec, tr("&Codec"), codec);

    addRow(Key::LivePhotos, QString(), new QCheckBox(tr("Save the clips of &live photos"), this));

    auto *proxy = new QLineEdit(this);
    proxy->setPlaceholderText(tr("The system's proxy"));
    proxy->setAccessibleDescription(tr("http://HOST:PORT or socks5://HOST:PORT"));
    addRow(Key::Proxy, tr("Pro&xy"), proxy);

    auto *language = new QComboBox(this);
    language->addItem(tr("The system's language"), QString());
    language->addItem(u"简体中文"_s, u"zh_CN"_s);
    language->addItem(u"English"_s, u"en"_s);
    language->setAccessibleDescription(tr("Applies from the next start"));
    addRow(Key::Language, tr("&Language"), language);

    addRow(Key::ClipboardWatch, QString(),
           new QCheckBox(tr("&Offer links copied in other programs"), this));

    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(u"color: #c62828;"_s);
    m_problem->setAccessibleName(tr("Problem"));
    m_problem->hide();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SettingsDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(m_form);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    load();
}

QLineEdit *SettingsDialog::addFolderRow(Key key, const QString &label)
{
    auto *field = new QLineEdit(this);
    auto *browse = new QPushButton(tr("Choose…"), this);
    browse->setAccessibleName(tr("Choose the %1").arg(QString(label).remove(u'&').toLower()));
    connect(browse, &QPushButton::clicked, this, [this, field] { chooseFolder(field); });
    auto *row = new QWidget(this);
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->addWidget(field, 1);
    rowLayout->addWidget(browse);
    m_form->addRow(label, row);
    qobject_cast<QLabel *>(m_form->labelForField(row))->setBuddy(field);
    field->setAccessibleName(QString(label).remove(u'&'));
    m_editors.insert(key, field);
    m_labels.insert(key, QString(label).remove(u'&'));
    return field;
}

// A checkbox carries its own text; other editors get a label, which names them for screen
// readers too.
void SettingsDialog::addRow(Key key, const QString &label, QWidget *editor)
{
    const QString plain = label.isEmpty() ? qobject_cast<QCheckBox *>(editor)->text().remove(u'&')
                                          : QString(label).remove(u'&');
    if (label.isEmpty())
        m_form->addRow(editor);
    else
        m_form->addRow(label, editor);
    editor->setAccessibleName(plain);
    m_editors.insert(key, editor);
    m_labels.insert(key, plain);
}

void SettingsDialog::chooseFolder(QLineEdit *field)
{
    const QString folder
        = QFileDialog::getExistingDirectory(this, tr("Choose a folder"), field->text());
    if (!folder.isEmpty())
        field->setText(QDir::toNativeSeparators(folder));
}

QWidget *SettingsDialog::editor(Key key) const
{
    return m_editors.value(key);
}

QString SettingsDialog::problem() const
{
    return m_problem->isHidden() ? QString() : m_problem->text();
}

void SettingsDialog::load()
{
    for (Key key : Settings::keys()) {
        QWidget *widget = m_editors.value(key);
        const QVariant value = m_settings->value(key);
        if (auto *field = qobject_cast<QLineEdit *>(widget))
            field->setText(value.toString());
        else if (auto *spin = qobject_cast<QSpinBox *>(widget))
            spin->setValue(value.toInt());
        else if (auto *check = qobject_cast<QCheckBox *>(widget))
            check->setChecked(value.toBool());
        else if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            const int index = combo->findData(value, Qt::UserRole);
            const int byText = combo->findText(value.toString());
            if (index >= 0)
                combo->setCurrentIndex(index);
            else if (byText >= 0)
                combo->setCurrentIndex(byText);
            else
                combo->setCurrentText(value.toString());
        }
    }
}

QVariant SettingsDialog::edited(Key key) const
{
    QWidget *widget = m_editors.value(key);
    if (auto *field = qobject_cast<QLineEdit *>(widget))
        return field->text().trimmed();
    if (auto *spin = qobject_cast<QSpinBox *>(widget))
        return spin->value();
    if (auto *check = qobject_cast<QCheckBox *>(widget))
        return check->isChecked();
    auto *combo = qobject_cast<QComboBox *>(widget);
    return combo->currentData().isValid() && !combo->isEditable() ? combo->currentData()
                                                                  : combo->currentText();
}

void SettingsDialog::showProblem(Key key, const QString &reason)
{
    m_problem->setText(m_labels.value(key) + u": "_s + reason);
    m_problem->show();
    m_editors.value(key)->setFocus();
}

void SettingsDialog::accept()
{
    for (Key key : Settings::keys()) {
        if (const QString reason = Settings::problem(key, edited(key)); !reason.isEmpty()) {
            showProblem(key, reason);
            return;
        }
    }
    // A default the file does not hold stays out of it: it may change with a later version, and
    // the command-line tool tells a set value from its own default.
    for (Key key : Settings::keys()) {
        if (m_settings->contains(key) || edited(key) != Settings::defaultValue(key))
            m_settings->set(key, edited(key));
    }
    if (const QString reason = m_settings->sync(); !reason.isEmpty()) {
        m_problem->setText(reason);
        m_problem->show();
        return;
    }
    m_problem->hide();
    QDialog::accept();
}
