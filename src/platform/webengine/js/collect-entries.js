// The entries walk: the entries a harvest asks for, from the page and from each frame
// whose document can be read, depth first. Evaluates to a function of the mode; the
// program calls it with the mode appended, as in "(function (mode) {...})(3)".
//
// Runs in the page's own world. An isolated world would shield the walk from the
// page's scripts, but Chromium then builds a second script context for every frame
// the walk touches, which costs several milliseconds a frame (seconds on a page of
// a few hundred frames). The walk therefore relies only on what a page's scripts
// cannot replace by accident:
//  - the globals `window` and `document` and a window's `window` and `document`
//    are unforgeable, and a document's `links`, a collection's `length` and index
//    and a link's `href` are getters that an assignment does not shadow;
//  - a window's `frames` and `length` are replaceable (a page's global
//    `var length = 3` replaces them), so frames are taken by index until the index
//    no longer gives a window (`w.window === w` holds only for windows);
//  - results are stored by index, not with Array.prototype.push;
//  - the elements' own properties and attributes.
// A frame from another origin throws on access to its document and is skipped.
//
// Links alone come from each document's links collection; media (and links beside
// them) from one pass over every element in document order, the elements of an open
// shadow root right after its host. Relative addresses from attributes are resolved by
// an anchor of their document, never by the URL constructor, which a page's global
// `var URL` would replace. The computed style of an element is read only when one of
// its document's (or shadow root's) sheets may set an image, or its own style
// attribute names one: computing style costs far more than the rest of the pass on a
// large page.
(function (mode) {
    // mode: 1 links, 2 media, 3 both, plus 4 for linked full-size pictures. The answer:
    // [docs, items, kinds, thumbs, nexts] where docs holds page, title and entry count of
    // each document walked, items an address and a text per entry, kinds one digit per
    // entry (0 link, 1 image, 2 video, 3 audio, 4 background, 5 object, 6 poster), thumbs
    // the index and thumbnail address of each entry that is a linked full-size picture,
    // and nexts the index of each link marked rel="next".
    var docs = [], items = [], kinds = '', thumbs = [], nexts = [];
    var wantLinks = (mode & 1) !== 0, wantMedia = (mode & 2) !== 0;
    var fullSize = wantMedia && (mode & 4) !== 0;
    // A picture by its name, as the list's picture view reads names.
    var PICTURE_NAME = /\.(jpe?g|jpe|jfif|a?png|gif|webp|svgz?|avif|bmp)$/i;
    var LAZY = { 'data-src': 1, 'data-original': 1, 'data-lazy-src': 1, 'data-lazy': 1,
        'data-original-src': 1, 'data-hi-res-src': 1, 'data-full-src': 1, 'data-url': 1 };
    var LAZYSET = { 'data-srcset': 1, 'data-lazy-srcset': 1, 'data-original-set': 1 };
    var SPACE = /\s/;
    // A style that may name an image: an address, or an image-set() of plain strings.
    var IMAGE_VALUE = /url\(|image-set\(/i;
    function clean(t) {
        if (typeof t !== 'string' || t === '')
            return '';
        if (t.length > 800)
            t = t.slice(0, 800);
        t = t.replace(/\s+/g, ' ').trim();
        return t.length > 200 ? t.slice(0, 200) : t;
    }
    function attr(el, name) {
        var v = el.getAttribute(name);
        return v === null ? '' : v;
    }
    function label(el) {
        return el ? clean(attr(el, 'alt')) || clean(attr(el, 'title')) : '';
    }
    // A javascript: address runs a script; it is never a picture or a medium.
    function isScript(url) {
        return /^\s*javascript:/i.test(url);
    }
    function add(url, kind, text) {
        if (typeof url !== 'string' || url === '')
            return;
        var head = url.slice(0, 5).toLowerCase();
        if (head === 'data:' || head === 'blob:' || (kind !== '0' && isScript(url)))
            return;
        items[items.length] = url;
        items[items.length] = text;
        kinds += kind;
    }
    function addLink(el) {
        var at = kinds.length;
        add(el.href, '0', linkText(el));
        if (kinds.length > at && /(^|\s)next(\s|$)/i.test(attr(el, 'rel')))
            nexts[nexts.length] = at;
    }
    // A link to a place on the page it is on (href="#", "#top", or this page's own
    // address with a fragment) leads to no other document.
    function withinPage(href, doc) {
        var hash = href.indexOf('#');
        if (hash < 0)
            return false;
        var page = '';
        try { page = doc.URL; } catch (e) { return false; }
        if (typeof page !== 'string')
            return false;
        var at = page.indexOf('#');
        return href.slice(0, hash) === (at < 0 ? page : page.slice(0, at));
    }
    function linkText(el) {
        var text = clean(el.textContent) || label(el);
        if (!text && el.querySelector) {
            var img = el.querySelector('img[alt]');
            text = label(img);
        }
        return text;
    }
    // The largest candidate of a srcset: an address runs to the next white space, so
    // commas inside it stay; width descriptors outrank density ones, and the fallback
    // (already absolute) counts as density 1.
    function largest(set, resolve, fallback) {
        var best = '', bestW = -1, bestX = -1, s = set, n = s.length, i = 0;
        if (fallback) { best = fallback; bestX = 1; }
        var chosen = null;
        while (i < n) {
            while (i < n && (s.charAt(i) === ',' || SPACE.test(s.charAt(i))))
                ++i;
            if (i >= n)
                break;
            var b = i;
            while (i < n && !SPACE.test(s.charAt(i)))
                ++i;
            var url = s.slice(b, i), desc = '';
            if (url.charAt(url.length - 1) === ',') {
                url = url.replace(/,+$/, '');
            } else {
                var depth = 0;
                b = i;
                for (; i < n; ++i) {
                    var c = s.charAt(i);
                    if (c === '(') ++depth;
                    else if (c === ')') { if (depth) --depth; }
                    else if (c === ',' && !depth) break;
                }
                desc = s.slice(b, i);
            }
            if (isScript(url))
                continue;
            var m = /(\d*\.?\d+(?:e[+-]?\d+)?)\s*([wx])/i.exec(desc);
            var v = m ? parseFloat(m[1]) : 1;
            if (m && (m[2] === 'w' || m[2] === 'W')) {
                if (v > bestW) { bestW = v; chosen = url; }
            } else if (bestW < 0 && v > bestX) {
                bestX = v; chosen = url;
            }
        }
        return chosen !== null ? resolve(chosen) : best;
    }
    // The link around el whose target is a picture by its name, else null.
    function pictureLink(el) {
        var link = el.closest ? el.closest('a[href]') : null;
        if (!link || typeof link.href !== 'string' || isScript(link.href))
            return null;
        return PICTURE_NAME.test(link.href.split(/[?#]/)[0]) ? link : null;
    }
    function image(el, resolve) {
        var src = '', set = '';
        // Names only: reading the attributes as nodes would make a node of each.
        var names = el.getAttributeNames();
        for (var a = 0; a < names.length; ++a) {
            var name = names[a];
            if (LAZY[name] === 1 && !src && attr(el, name)) src = resolve(attr(el, name));
            else if (LAZYSET[name] === 1 && !set) set = attr(el, name);
        }
        if (!set) set = attr(el, 'srcset');
        if (!src) src = el.src;
        var url = set ? largest(set, resolve, src) : src;
        var link = fullSize ? pictureLink(el) : null;
        if (link && link.href !== url) {
            var at = kinds.length;
            add(link.href, '1', label(el) || linkText(link));
            if (kinds.length > at) {
                thumbs[thumbs.length] = at;
                thumbs[thumbs.length] = url;
            }
            return;
        }
        add(url, '1', label(el));
    }
    var URL_AT = /^url\(\s*(?:"((?:[^"\\]|\\.)*)"|'((?:[^'\\]|\\.)*)'|([^)\s]*))\s*\)/i;
    var STRING_AT = /^(?:"((?:[^"\\]|\\.)*)"|'((?:[^'\\]|\\.)*)')/;
    function unquoted(m) {
        var url = m[1] !== undefined ? m[1] : m[2] !== undefined ? m[2] : m[3] || '';
        return url.replace(/\\(.)/g, '$1');
    }
    // Where the part of value from i ends: at the first of stops (a character) outside
    // quotes and parentheses, else at the end.
    function partEnd(value, i, stops) {
        var depth = 0, quote = '';
        for (; i < value.length; ++i) {
            var c = value.charAt(i);
            if (quote) {
                if (c === '\\') ++i;
                else if (c === quote) quote = '';
            } else if (c === '"' || c === "'") {
                quote = c;
            } else if (c === '(') {
                ++depth;
            } else if (depth && c === ')') {
                --depth;
            } else if (!depth && stops.indexOf(c) >= 0) {
                break;
            }
        }
        return i;
    }
    // The candidate of an image-set() list with the highest resolution (x, dppx, dpi or
    // dpcm; a candidate without one counts as 1x), as for a srcset.
    function bestOfSet(list) {
        var best = '', bestX = -1, i = 0;
        while (i < list.length) {
            var end = partEnd(list, i, ',');
            var part = list.slice(i, end).trim();
            i = end + 1;
            var m = URL_AT.exec(part) || STRING_AT.exec(part);
            if (!m)
                continue;
            var url = unquoted(m), x = 1;
            var r = /(\d*\.?\d+)\s*(dppx|dpcm|dpi|x)\b/i.exec(part.slice(m[0].length));
            if (r) {
                var unit = r[2].toLowerCase();
                x = parseFloat(r[1]) / (unit === 'dpi' ? 96 : unit === 'dpcm' ? 96 / 2.54 : 1);
            }
            if (x > bestX && !isScript(url)) { best = url; bestX = x; }
        }
        return best;
    }
    // The images of a computed background-image value, one a layer in order: a url(),
    // or the largest candidate of an image-set(); gradients give none.
    function backgroundsIn(value, title) {
        if (!value || value === 'none')
            return;
        var i = 0;
        while (i < value.length) {
            var end = partEnd(value, i, ',');
            var layer = value.slice(i, end).trim(), m = URL_AT.exec(layer);
            i = end + 1;
            if (m) {
                add(unquoted(m), '4', title);
            } else if ((m = /^(?:-webkit-)?image-set\(/i.exec(layer)) !== null) {
                var inner = layer.slice(m[0].length);
                add(bestOfSet(inner.slice(0, partEnd(inner, 0, ')'))), '4', title);
            }
        }
    }
    // The element's background images, and those of its ::before and ::after boxes when
    // a style sheet may give them one (pseudo parts have no style attribute).
    function backgrounds(el, win, styled) {
        var title = clean(attr(el, 'title'));
        var parts = styled ? [null, '::before', '::after'] : [null];
        for (var p = 0; p < parts.length; ++p) {
            var style = null;
            try { style = win.getComputedStyle(el, parts[p]); } catch (e) { continue; }
            backgroundsIn(style ? style.backgroundImage : '', title);
        }
    }
    // Whether a style sheet of root may give an element a background image: a readable
    // rule with an address in it (a font's excepted), or a sheet that cannot be read.
    function sheetsMaySetImages(root) {
        function rulesUse(rules, depth) {
            if (depth > 16) return true;
            for (var r = 0; r < rules.length; ++r) {
                var rule = rules[r];
                if (rule.styleSheet && sheetUses(rule.styleSheet, depth + 1)) return true;
                if (rule.cssRules && rulesUse(rule.cssRules, depth + 1)) return true;
                if (rule.type !== 5 && rule.style && IMAGE_VALUE.test(rule.style.cssText)) return true;
            }
            return false;
        }
        function sheetUses(sheet, depth) {
            var rules;
            try { rules = sheet.cssRules; } catch (e) { return true; }
            return rules ? rulesUse(rules, depth) : false;
        }
        var lists = [];
        try { lists[lists.length] = root.styleSheets; } catch (e) {}
        try { lists[lists.length] = root.adoptedStyleSheets; } catch (e) {}
        for (var l = 0; l < lists.length; ++l) {
            var list = lists[l];
            if (!list) continue;
            for (var s = 0; s < list.length; ++s)
                if (sheetUses(list[s], 0)) return true;
        }
        return false;
    }
    function tree(root, win, resolve, styled) {
        styled = styled || (wantMedia && sheetsMaySetImages(root));
        var all = root.querySelectorAll('*');
        for (var i = 0; i < all.length; ++i) {
            var el = all[i], tag = el.localName, parent;
            if (wantLinks && (tag === 'a' || tag === 'area')) {
                // A link around a thumbnail of its picture is listed as that picture.
                if (typeof el.href === 'string' && el.hasAttribute('href')
                    && !withinPage(el.href, el.ownerDocument)
                    && !(fullSize && tag === 'a' && el.querySelector('img') && pictureLink(el) === el))
                    addLink(el);
            } else if (wantMedia) {
                switch (tag) {
                case 'img':
                    image(el, resolve);
                    break;
                case 'source':
                    parent = el.parentElement;
                    if (parent && parent.localName === 'picture') {
                        var set = attr(el, 'srcset') || attr(el, 'data-srcset');
                        if (set) add(largest(set, resolve, ''), '1', label(parent.querySelector('img')));
                    } else if (parent && (parent.localName === 'video' || parent.localName === 'audio')) {
                        add(el.src, parent.localName === 'video' ? '2' : '3', label(parent));
                    }
                    break;
                case 'video':
                case 'audio':
                    add(el.getAttribute('src') !== null ? el.src : '', tag === 'video' ? '2' : '3', label(el));
                    if (tag === 'video' && el.getAttribute('poster')) add(el.poster, '6', label(el));
                    break;
                case 'input':
                    if (attr(el, 'type').toLowerCase() === 'image' && el.getAttribute('src'))
                        add(el.src, '1', label(el));
                    break;
                case 'track':
                    parent = el.parentElement;
                    add(el.src, parent && parent.localName === 'audio' ? '3' : '2',
                        clean(attr(el, 'label')) || label(parent));
                    break;
                case 'embed':
                    if (el.getAttribute('src')) add(el.src, '5', label(el));
                    break;
                case 'object':
                    if (el.getAttribute('data')) add(el.data, '5', label(el));
                    break;
                }
            }
            if (wantMedia && (styled || (el.hasAttribute('style') && IMAGE_VALUE.test(attr(el, 'style')))))
                backgrounds(el, win, styled);
            if (el.shadowRoot)
                tree(el.shadowRoot, win, resolve, styled);
        }
    }
    function linksOf(doc) {
        var links = null, n = 0;
        try { links = doc.links; n = links.length; } catch (e) { n = 0; }
        if (typeof n !== 'number')
            n = 0;
        for (var i = 0; i < n; ++i) {
            try {
                var link = links[i], href = link.href;
                if (typeof href === 'string' && !withinPage(href, doc))
                    addLink(link);
            } catch (e) {}
        }
    }
    function walk(win, doc) {
        var first = kinds.length, page = '', title = '';
        try { page = doc.URL; title = doc.title; } catch (e) {}
        try {
            if (mode === 1) {
                linksOf(doc);
            } else {
                var anchor = doc.createElement('a');
                var resolve = function (url) {
                    anchor.setAttribute('href', url);
                    return anchor.href;
                };
                tree(doc, win, resolve, false);
            }
        } catch (e) {}
        docs[docs.length] = typeof page === 'string' ? page : '';
        docs[docs.length] = typeof title === 'string' ? title : '';
        docs[docs.length] = kinds.length - first;
        // The document's frames in turn: by index until the index no longer gives a
        // window, each frame whose document can be read.
        for (var f = 0; f <= 32767; ++f) {
            var child = null, sub = null;
            try {
                child = win[f];
                if (!child || child.window !== child)
                    child = null;
            } catch (e) { child = null; }
            if (!child)
                break;
            try { sub = child.document; } catch (e) { sub = null; }
            if (sub)
                walk(child, sub);
        }
    }
    walk(window, window.document);
    return [docs, items, kinds, thumbs, nexts];
})
