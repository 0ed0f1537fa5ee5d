#pragma once

#include <QString>

#include <functional>

class QDir;
class QWidget;

// Output helpers shared by the sections.

/*!
 * Shows \a widget off-screen, lets it settle, and renders it into "<name>.png" in \a out at twice
 * the pixel density. Returns false when the file could not be written.
 */
bool saveWidgetImage(QWidget *widget, const QDir &out, const QString &name);

/*! Runs the event loop until \a done returns true or \a timeoutMs elapse; returns done(). */
bool processEventsUntil(const std::function<bool()> &done, int timeoutMs);

// Sections: each renders its pictures into the directory and returns how many it failed to write.

int renderBuildingBlocks(const QDir &out);
int renderHud(const QDir &out);
