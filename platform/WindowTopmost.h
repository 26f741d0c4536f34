#pragma once

class QWidget;

// Keep-on-top through the window's QWindow flag: the window is neither hidden,
// moved, resized nor re-created (QWidget::setWindowFlag would hide it).
void SetTopmost(QWidget *window);
void ClearTopmost(QWidget *window);
