#include "viewer/MainToolbarRules.h"

MainToolbarRules::States MainToolbarRules::states(int n, int c, int current, bool hasBrowserWindow)
{
    States s;
    s.mnufsav = n != 0;
    s.sav = c != 0;
    s.savtgt = n != 0;
    s.savelist = c != 0;
    s.back = current > 0;
    s.fwd = current != -1 && current < c - 1;
    s.slideshow = c != 0;
    s.hide_br = hasBrowserWindow;
    s.mnufileopen = n == 1 && c != 0;
    s.mnusavpopbuild = c != 0 && n == 1;
    s.mnusavpopopen = n == 1;
    s.mnusavepoptrgt = n > 0;
    s.mnusavpopremove = c != 0 && n == 1;
    return s;
}

bool MainToolbarRules::stopsSlideshow(const QString& key)
{
    return key != QLatin1String("resize") && key != QLatin1String("slideshow")
        && key != QLatin1String("hide_br");
}

bool MainToolbarRules::statusIsReported(StatusKind status)
{
    return status == StatusKind::Slideshow || status == StatusKind::LoadingLink;
}
