#include "NavigationController.h"

#include <QStackedLayout>

NavigationController::NavigationController(QWidget *rootViewController, QWidget *parent)
    : QWidget(parent), m_stack(new QStackedLayout(this))
{
    pushViewController(rootViewController);
}

void NavigationController::pushViewController(QWidget *viewController)
{
    m_stack->setCurrentIndex(m_stack->addWidget(viewController));
}

QWidget *NavigationController::popViewController()
{
    if (m_stack->count() <= 1)
        return nullptr;
    QWidget *top = topViewController();
    m_stack->removeWidget(top);
    top->setParent(nullptr);
    m_stack->setCurrentIndex(m_stack->count() - 1);
    return top;
}

QList<QWidget *> NavigationController::viewControllers() const
{
    QList<QWidget *> screens;
    for (int i = 0; i < m_stack->count(); ++i)
        screens.append(m_stack->widget(i));
    return screens;
}

QWidget *NavigationController::topViewController() const
{
    return m_stack->widget(m_stack->count() - 1);
}

NavigationController *NavigationController::navigationControllerOf(const QWidget *screen)
{
    for (QWidget *ancestor = screen ? screen->parentWidget() : nullptr; ancestor;
         ancestor = ancestor->parentWidget()) {
        if (auto *navigation = qobject_cast<NavigationController *>(ancestor))
            return navigation;
    }
    return nullptr;
}
