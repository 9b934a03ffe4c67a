// Playing: a game started by mouse, pieces placed by mouse and by finger,
// Escape, and a whole game whose best time is kept over a reload.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');

// The effects by the wave each plays.
const Effect = { GameStart: 'game/wave00.wav', PickUp: 'game/wave01.wav', DropLoose: 'game/wave02.wav',
  DropPlaced: 'game/wave03.wav', PuzzleComplete: 'game/wave04.wav' };

// How an engine's touches are made, for its notes.
function touchNote(tab) {
  return tab.touchKind === 'driver'
    ? null
    : "touches made in the page as TouchEvents: this engine's driver sends W3C touch actions as mouse events";
}

test('a game started by mouse, a piece placed by touch, Escape back to the title', async ({ tab, url, note }) => {
  await g.openGame(tab, url);
  await g.clickTitleButton(tab, 380);
  let s = await g.waitForPlay(tab, g.Mode.Municipality);
  assert.deepEqual(await g.effects(tab), [Effect.GameStart]);
  assert.equal(s.pieces_left, 63);

  const gap = touchNote(tab);
  if (gap) note(gap);
  // One touch on a piece picks it up: its position reaches the game before
  // the press does.
  s = await g.placeByTouch(tab, s, 8);
  assert.equal(s.pieces_left, 62);
  assert.deepEqual(await g.effects(tab), [Effect.GameStart, Effect.PickUp, Effect.DropPlaced]);

  await tab.pressKey('Escape');
  s = await g.waitForState(tab, 'the title after Escape', (t) => t.scene === 0);
  assert.ok(s.pieces.every((p) => p.x === p.home_x && p.y === p.home_y), 'the board is the solved map again');
  assert.deepEqual(await g.pageErrors(tab), []);
});

// Every engine plays one whole game, each kind of input in at least one;
// the longest (95 mascots, by finger, whose press and release wait for
// frames) where drawing costs least: Chromium draws on SwiftShader, much
// slower here than the others' Mesa.
const wholeGame = {
  chromium: { mode: g.Mode.Municipality, input: 'mouse' },
  firefox: { mode: g.Mode.Mascot, input: 'touch' },
  webkit: { mode: g.Mode.Municipality, input: 'mouse' },
};

test('a whole game sets a best time, kept in storage and shown after a reload', async ({ tab, engine, url, note }) => {
  const { mode, input } = wholeGame[engine];
  const pieces = mode === g.Mode.Mascot ? 95 : 63;
  note(`played: the whole ${mode === g.Mode.Mascot ? 'mascot' : 'municipality'} game by ${input}`);
  if (input === 'touch' && touchNote(tab)) note(touchNote(tab));
  await g.openGame(tab, url);
  const before = await g.backBuffer(tab);
  await g.clickTitleButton(tab, mode === g.Mode.Mascot ? 640 : 380);
  const started = Date.now();
  const s = await g.playWholeGame(tab, mode, input);
  note(`${pieces} pieces in ${((Date.now() - started) / 1000).toFixed(1)} s`);
  assert.equal(s.new_record, 1);
  const best = Math.trunc(s.best[mode]);
  assert.ok(best < 3599 && best >= 0);
  await g.waitFor('the record in storage', () => tab.evaluate(() => pokomaru.pokomaruStorage.saves > 0));
  const effects = await g.effects(tab);
  assert.equal(effects[effects.length - 1], Effect.PuzzleComplete);
  assert.equal(effects.filter((e) => e === Effect.PickUp).length, pieces);

  await tab.reload();
  await g.waitForGame(tab);
  const after = await g.state(tab);
  const expected = [3599, 3599];
  expected[mode] = best;
  assert.deepEqual(after.best, expected, 'the stored record, in whole seconds');
  assert.equal(await tab.evaluate(() => pokomaru.pokomaruStorage.restored), true);
  // The mode's high-score line is drawn anew; the other one is as before.
  const words = await g.backBuffer(tab);
  const changed = (y0) => {
    let n = 0;
    for (let y = y0; y < y0 + 18; ++y) for (let x = 700; x < 1000; ++x) if (words[y * 1024 + x] !== before[y * 1024 + x]) ++n;
    return n;
  };
  const [line, other] = mode === g.Mode.Mascot ? [46, 22] : [22, 46];
  assert.equal(changed(other), 0, 'the other high-score line is unchanged');
  assert.ok(changed(line) > 20, "the mode's line shows the new time");
  assert.deepEqual(await g.pageErrors(tab), []);
});
