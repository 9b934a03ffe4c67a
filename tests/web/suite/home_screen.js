// On an iPad's home screen: the icons, the name and the look WebKit reads
// from the page, and the picture kept inside the screen's safe area.
'use strict';
const assert = require('assert/strict');
const { test } = require('../harness');
const g = require('../game_page');

test('a home-screen app: its icons, standalone display, theme colour, and the safe area kept clear', async ({ tab, url, note }) => {
  await g.openGame(tab, url);
  const page = await tab.evaluate(async () => {
    const meta = (name) => { const m = document.querySelector(`meta[name="${name}"]`); return m && m.content; };
    const icons = [];
    for (const link of document.querySelectorAll('link[rel="apple-touch-icon"]')) {
      const image = new Image();
      image.src = link.href;
      await image.decode();
      const canvas = document.createElement('canvas');
      canvas.width = image.naturalWidth;
      canvas.height = image.naturalHeight;
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      const rgba = context.getImageData(0, 0, canvas.width, canvas.height).data;
      let translucent = 0;
      for (let i = 3; i < rgba.length; i += 4) if (rgba[i] !== 255) ++translucent;
      icons.push({ sizes: link.getAttribute('sizes'), size: `${image.naturalWidth}x${image.naturalHeight}`, translucent });
    }
    const manifest = await (await fetch(document.querySelector('link[rel="manifest"]').href)).json();
    return {
      capable: meta('apple-mobile-web-app-capable'), title: meta('apple-mobile-web-app-title'),
      statusBar: meta('apple-mobile-web-app-status-bar-style'), theme: meta('theme-color'),
      viewport: meta('viewport'), safeAreaKnown: CSS.supports('padding-top: env(safe-area-inset-top)'), icons, manifest,
    };
  });
  assert.equal(page.capable, 'yes');
  assert.equal(page.title, 'ぽこ丸ジグゾー');
  assert.equal(page.statusBar, 'black-translucent', 'the page runs under the status bar, inside the safe area');
  assert.match(page.viewport, /viewport-fit=cover/);
  assert.equal(page.manifest.display, 'standalone', 'a display WebKit knows');
  assert.equal(page.manifest.theme_color, page.theme);
  assert.equal(page.manifest.name, 'ぽこ丸ジグゾー');
  assert.deepEqual(page.icons.map((i) => i.sizes).sort(), ['152x152', '167x167', '180x180']);
  for (const icon of page.icons) {
    assert.equal(icon.size, icon.sizes, 'each icon the size it says');
    assert.equal(icon.translucent, 0, `the ${icon.sizes} icon is opaque (the home screen fills transparency with black)`);
  }
  assert.equal(page.safeAreaKnown, true);

  // This screen has no notch: its safe area is given one, as an iPad's
  // status bar and home indicator make (24 and 20 CSS pixels), and a
  // phone's notch on its side.
  for (const [top, right, bottom, left] of [[24, 0, 20, 0], [0, 47, 21, 47]]) {
    const placed = await tab.evaluate((top, right, bottom, left) => {
      let style = document.getElementById('test-safe-area');
      if (!style) document.head.appendChild(style = Object.assign(document.createElement('style'), { id: 'test-safe-area' }));
      style.textContent = `#safe-area { padding: ${top}px ${right}px ${bottom}px ${left}px !important; }`;
      window.dispatchEvent(new Event('resize'));
      const r = document.getElementById('canvas').getBoundingClientRect();
      return { left: r.left, top: r.top, right: innerWidth - r.right, bottom: innerHeight - r.bottom, width: r.width };
    }, top, right, bottom, left);
    assert.ok(placed.top >= top && placed.right >= right && placed.bottom >= bottom && placed.left >= left,
      `the picture inside the safe area ${[top, right, bottom, left]}: ${JSON.stringify(placed)}`);
    assert.ok(Math.min(placed.top - top, placed.bottom - bottom) <= 1 || Math.min(placed.left - left, placed.right - right) <= 1,
      'as large as the safe area allows');
  }
  note('the display mode itself (started from a home screen) cannot be had here: WebKitGTK has no home screen');
}, { engines: ['webkit'] });
