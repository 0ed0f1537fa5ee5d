#pragma once

#include "Settings.h"

#include <QDialog>
#include <QHash>

class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class QWidget;

/*!
 * \brief Edits the settings file: the albums' folders, the file names, parallel downloads,
 * quality, codec, live photos, the proxy, the language and clipboard watching.
 *
 * Save checks every value first and stores nothing while one is refused: the reason shows under
 * the fields and the field takes the focus. The language applies from the next start.
 */
class SettingsDialog : public QDialog
{
    Q_OBJECT

public:
    /*! Edits \a settings (not owned; it must outlive the dialog). */
    explicit SettingsDialog(Settings *settings, QWidget *parent = nullptr);

    /*! The editor of \a key. */
    QWidget *editor(Settings::Key key) const;
    /*! Why the last Save was refused, or empty. */
    QString problem() const;

    void accept() override;

private:
    QLineEdit *addFolderRow(Settings::Key key, const QString &label);
    void addRow(Settings::Key key, const QString &label, QWidget *editor);
    void chooseFolder(QLineEdit *field);
    void load();
    QVariant edited(Settings::Key key) const;
    void showProblem(Settings::Key key, const QString &reason);

    Settings *m_settings;
    QFormLayout *m_form;
    QHash<Settings::Key, QWidget *> m_editors;
    QHash<Settings::Key, QString> m_labels;
    QLabel *m_problem;
};
