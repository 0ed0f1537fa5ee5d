#pragma once

#include <QString>
#include <QTemporaryDir>

/*!
 * \brief Points the home folder at a fresh temporary folder and turns on QStandardPaths' test
 * mode, so that caches, the video album and settings of a suite never touch the user's own.
 *
 * Test mode alone does not move the Movies folder, hence the home. Make one per suite (a member
 * of the test object) and call activate() in initTestCase().
 */
class TemporaryHome
{
public:
    /*! False when the folder could not be made or the standard locations do not follow it. */
    bool activate();
    QString path() const { return m_directory.path(); }

private:
    QTemporaryDir m_directory;
};
