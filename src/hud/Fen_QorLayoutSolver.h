#pragma once

#include <QSizeF>

class QWidget;

/*!
 * \brief Solves the constraints installed on a widget and its descendants and sets the frames of
 * the widgets they place.
 *
 * Each axis is solved on its own, container by container: a widget's constrained children either
 * stand side by side against the container's edges and centre (each child on its own), or form a
 * chain, each child's leading/top edge tied to the previous one's trailing/bottom edge. Sizes come
 * from the intrinsic sizes (sizeHint, heightForWidth for wrapped text), the children's content
 * (bottom-up), and the constraints on the widget itself, resolved by priority: where relations
 * conflict the higher priority holds and the lower one is met as closely as possible. Compression
 * resistance and hugging priorities come from Fen_QorViewLayoutState. Extents tied equal within
 * a chain stay equal. A relation between the two axes of one widget (height = width × m + k) is
 * honoured by a second pass. Hidden widgets take part. Relations outside these shapes are ignored.
 */
class Fen_QorLayoutSolver
{
public:
    Fen_QorLayoutSolver() = delete;

    /*! Places every widget below \a root that the installed constraints position. \a root keeps
     * its own geometry. */
    static void solve(QWidget *root);

    /*! The natural size of \a view's content: its sizeHint(), with a negative component meaning
     * "no intrinsic size" on that axis. A label without text, picture or movie reports (0, 0);
     * a widget without a size hint but with a fixed size reports that size. */
    static QSizeF intrinsicContentSize(const QWidget *view);
};
