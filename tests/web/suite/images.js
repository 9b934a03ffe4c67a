// The atlas as the game decodes it: every way the page knows, in each
// engine, against the PNG as these tests read it (png.js), byte for byte.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');

test('the atlas decoded exactly as the file has it, by the way each engine takes', async ({ tab, url, note }) => {
  await g.openGame(tab, url);
  const taken = await tab.evaluate(() => pokomaru.pokomaruImageDecoding);
  const ways = await tab.evaluate(async () => {
    pokomaru._pokomaru_test_images();
    const bytes = pokomaru.FS.readFile('/game/bitmap.png');
    const file = new Uint8Array(await (await fetch('atlas.rgba')).arrayBuffer());
    const found = {};
    for (const way of pokomaru.pokomaruImages.ways) {
      const pixels = await way.decode(bytes, 1024, 2048);
      let differing = 0, largest = 0;
      if (pixels)
        for (let i = 0; i < file.length; i += 4) {
          let d = 0;
          for (let c = 0; c < 4; ++c) d = Math.max(d, Math.abs(pixels[i + c] - file[i + c]));
          if (d) ++differing;
          largest = Math.max(largest, d);
        }
      found[way.name] = pixels ? { differing, largest } : null;
    }
    return found;
  });
  note(`decodes by the ${taken.way}; ` + Object.entries(ways).map(([name, r]) =>
    `${name}: ${r ? (r.differing ? `${r.differing} pixels differ, by up to ${r.largest}` : 'exact') : 'none'}`).join(', '));
  assert.equal(taken.exact, true, 'a way that gives the probe back exactly');
  assert.deepEqual(ways[taken.way], { differing: 0, largest: 0 }, 'the way taken gives the file exactly');
  // Ways before it are not exact here; the image decoder is never taken
  // where it changes the pixels.
  const names = Object.keys(ways);
  for (const name of names.slice(0, names.indexOf(taken.way)))
    assert.ok(!ways[name] || ways[name].differing > 0, `${name} is exact here but was passed over`);
});
