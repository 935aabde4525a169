// Nobody sees a harvest page, and laying out and painting a large document costs far
// more than parsing it: every document, frames included, gets a style sheet that takes
// its root out of the layout from the moment it is created. Links, frames and scripts
// do not need a layout. Plug-in elements (object, embed) load their content, which may
// be a document with links, only once they are laid out, so a document that holds one
// when its parsing ends drops the sheet again.
(function () {
    try {
        var sheet = new CSSStyleSheet();
        sheet.replaceSync('html { display: none !important; }');
        document.adoptedStyleSheets = [sheet];
        document.addEventListener('DOMContentLoaded', function () {
            if (document.querySelector('object, embed'))
                sheet.replaceSync('');
        });
    } catch (e) {}
})()
