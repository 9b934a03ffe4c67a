// Browsers keep a page silent until the player's first press; the game's
// sound must start in the very event that allows it: a mouse button going
// down, a finger being lifted.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');

// The audio context's state, and (where the browser tells) whether its
// autoplay policy lets an audio context start now.
async function sound(tab) {
  return tab.evaluate(() => ({
    state: pokomaru.pokomaruAudio ? pokomaru.pokomaruAudio.state : null,
    policy: navigator.getAutoplayPolicy ? navigator.getAutoplayPolicy('audiocontext') : null,
  }));
}

// Firefox here has no audio device: its context never runs, whatever is
// allowed; its autoplay policy says whether the press allowed it.
function started(engine, s) {
  return engine === 'firefox' ? s.policy === 'allowed' : s.state === 'running';
}

test('sound starts with the first press of the mouse, and with a finger as it is lifted', async ({ tab, engine, url, note }) => {
  await g.openGame(tab, url);
  await g.waitFor('the audio context', () => tab.evaluate(() => !!pokomaru.pokomaruAudio));
  assert.equal(started(engine, await sound(tab)), false, 'silent before any press');
  await tab.mouseMove(100, 700);
  await tab.mouseDown();
  await g.waitFor('sound started by the press', async () => started(engine, await sound(tab)), 10000);
  await tab.mouseUp();
  if (engine === 'firefox') note('no audio device here: the context never runs; its autoplay policy turned to allowed on the press');

  // A new page, a finger: touching is not yet allowed, lifting is.
  await tab.reload();
  await g.waitForGame(tab);
  await g.waitFor('the audio context', () => tab.evaluate(() => !!pokomaru.pokomaruAudio));
  if (tab.touchKind !== 'driver') {
    note("a finger's sound untried: touches made by the page are not the user's and allow no sound");
    return;
  }
  await tab.touchStart(100, 700);
  await g.frames(tab, 5);
  assert.equal(started(engine, await sound(tab)), false, 'a finger only touching does not allow sound');
  await tab.touchEnd();
  await g.waitFor('sound started by the lifted finger', async () => started(engine, await sound(tab)), 10000);
});
