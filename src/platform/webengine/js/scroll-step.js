// One step of the scroll for lazy content: scrolls to the bottom and gives the page's
// height before the scroll (-1 when the document has no element to scroll).
(function () {
    var e = document.scrollingElement || document.documentElement;
    if (!e)
        return -1;
    var height = e.scrollHeight;
    window.scrollTo(0, height);
    return height;
})()
