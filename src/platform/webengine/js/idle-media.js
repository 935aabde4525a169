// Audio and video never play in a media harvest and their loads are refused, yet a media
// element left to its default preload still makes a media player and sends a request
// that is refused, at a cost per element that adds up to seconds on a page of a few
// thousand videos. Every media element is marked preload="none" as it enters the
// document, before its load starts, so it loads nothing. The live element lists are read
// from where the last look ended: a look costs only the elements added since.
(function () {
    try {
        var lists = [document.getElementsByTagName('video'), document.getElementsByTagName('audio')];
        var seen = [0, 0];
        new MutationObserver(function () {
            for (var l = 0; l < lists.length; ++l) {
                var list = lists[l];
                for (; seen[l] < list.length; ++seen[l])
                    list[seen[l]].setAttribute('preload', 'none');
            }
        }).observe(document, { childList: true, subtree: true });
    } catch (e) {}
})()
