// What the browser tests reach of the page's script library, linked only
// into the test build of the page: its ways of decoding images, each to be
// checked byte for byte against the PNG.
mergeInto(LibraryManager.library, {
  pokomaru_test_expose_images__deps: ['$pokomaruImages'],
  pokomaru_test_expose_images: function () {
    Module['pokomaruImages'] = pokomaruImages;
  },
});
