// Cost of the HUD's layout passes: a full constraint rebuild with a solve, and the spacing pass
// with a solve that runs on every layout. Prints microseconds per pass.

#include "Fen_QorProgressHUDLayout.h"
#include "Fen_QorViewLayoutState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTextStream>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

class FixedHintWidget : public QWidget
{
public:
    FixedHintWidget(QSize hint, QWidget *parent) : QWidget(parent), m_hint(hint) { }
    QSize sizeHint() const override { return m_hint; }

private:
    QSize m_hint;
};

double microsecondsPerRun(int runs, const std::function<void()> &run)
{
    for (int i = 0; i < runs / 10; ++i)
        run(); // warm-up
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < runs; ++i)
        run();
    return double(timer.nsecsElapsed()) / 1000.0 / runs;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);

    QWidget hud;
    hud.resize(320, 568);
    auto *bezel = new QWidget(&hud);
    auto *label = new QLabel(u"Loading"_s, bezel);
    auto *detailsLabel = new QLabel(u"Fetching the share page, please wait a moment"_s, bezel);
    detailsLabel->setWordWrap(true);
    auto *button = new FixedHintWidget(QSize(80, 31), bezel);
    auto *topSpacer = new QWidget(bezel);
    auto *bottomSpacer = new QWidget(bezel);
    topSpacer->hide();
    bottomSpacer->hide();
    auto *indicator = new FixedHintWidget(QSize(37, 37), bezel);
    for (QWidget *item : QList<QWidget *> { label, detailsLabel, button, indicator }) {
        Fen_QorViewLayoutState::setContentCompressionResistancePriority(item, 998, Qt::Horizontal);
        Fen_QorViewLayoutState::setContentCompressionResistancePriority(item, 998, Qt::Vertical);
    }

    const Fen_QorProgressHUDLayout::Views views { &hud,      bezel, topSpacer,    bottomSpacer,
                                                  indicator, label, detailsLabel, button };
    Fen_QorProgressHUDLayout::Metrics metrics;
    metrics.minSize = QSizeF(120, 0);
    metrics.square = true;
    Fen_QorProgressHUDLayout layout;

    const int runs = 2000;
    const double rebuild = microsecondsPerRun(runs, [&] {
        layout.updateConstraints(views, metrics);
        layout.layoutSubviews(true);
    });
    const double spacing = microsecondsPerRun(runs, [&] { layout.layoutSubviews(false); });

    QTextStream out(stdout);
    out << "hud layout: rebuild + solve " << rebuild << " us, spacing pass + solve " << spacing
        << " us (target: well under 1000 us each)\n";
    return rebuild < 1000.0 && spacing < 1000.0 ? 0 : 1;
}
