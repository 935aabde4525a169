#include "winsupport/ui/DialogFrame.h"

#include <QDialog>
#include <QLayout>
#include <algorithm>

void makeFixedDialog(QDialog& dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setSizeGripEnabled(false);
    // The layout's preferred size, widened to any minimum width the dialog asked for;
    // wrapped labels then take only the height they need at that width.
    dialog.adjustSize();
    QSize size = dialog.size();
    if (QLayout* layout = dialog.layout(); layout && layout->hasHeightForWidth())
        size.setHeight(std::max(
            layout->totalMinimumSize().height(), layout->totalHeightForWidth(size.width())));
    dialog.setFixedSize(size);
}
