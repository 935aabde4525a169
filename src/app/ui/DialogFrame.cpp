#include "app/ui/DialogFrame.h"

#include <QDialog>

void MakeFixedDialog(QDialog& dialog)
{
    dialog.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    dialog.setSizeGripEnabled(false);
    // The layout's preferred size, widened to any minimum width the dialog asked for.
    dialog.adjustSize();
    dialog.setFixedSize(dialog.size());
}
