// A page ready when the viewer is, on a 20 Mbit/s link with 40 ms of latency (Chromium's
// network emulation): the show's data is fetched while the start screen shows, its progress
// counted in bytes (the whole of the data and the font faces, the music about three quarters),
// and the run is made ahead of the start (its content loaded, held before its first frame, its
// sound's context not yet allowed to run); after a click on Start nothing more is fetched
// before the show's first frame, the page lets the run go at once, and its sound plays. The
// click to the first frame is logged against half a second.
const fs = require('fs');
const path = require('path');
const { check } = require('./driver');

const LINK = { download: 20e6 / 8, upload: 20e6 / 8, latency: 40 };
const CLICK_TO_FRAME_MS = 500;
const HAND_OVER_MS = 100;

// The click on Start, the page's hand-over to the show (its console line) and the first frame
// (the body's state "playing"), on the page's clock. The sound's contexts run only once the
// page has had a click, as browsers allow by default (the suite's browsers let any run).
function timing() {
  const Native = window.AudioContext;
  window.AudioContext = class extends Native {
    constructor(...args) { super(...args); this.suspend(); }
    resume() { return window.ksClickAt === undefined ? new Promise(() => {}) : super.resume(); }
  };
  const log = console.log.bind(console);
  console.log = (...args) => {
    if (/^kelvo-strand: starting with/.test(args[0]) && window.ksHandOverAt === undefined) window.ksHandOverAt = performance.now();
    log(...args);
  };
  document.addEventListener('click', (event) => {
    if (event.target.id === 'ks-start' && window.ksClickAt === undefined) window.ksClickAt = performance.now();
  }, true);
  new MutationObserver(() => {
    if (document.body.dataset.state === 'playing' && window.ksPlayingAt === undefined) window.ksPlayingAt = performance.now();
  }).observe(document.documentElement, { subtree: true, attributes: true, attributeFilter: ['data-state'] });
}

check('ready', async (t) => {
  const site = t.site();
  const page = await t.open(await t.browser(), '', { before: timing, network: LINK });
  const loaded = await page.evaluate(() => performance.now());
  await t.until(page, () => window.ks.data && window.ks.data.ready, 30, 'the data was not fetched on the start screen');
  const data = await t.ks(page).then((ks) => ks.data);
  const said = await page.evaluate(() => document.querySelector('#ks-progress').textContent);
  const list = fs.readFileSync(path.join(site, 'data/files.txt'), 'utf8').split('\n').filter((l) => l.trim());
  const music = fs.statSync(path.join(site, 'data/compilation.mp3')).size;
  const fonts = fs.readdirSync(path.join(site, 'fonts')).filter((f) => f.endsWith('.ttf'));
  const bytes = [...list.map((f) => `data/${f}`), ...fonts.map((f) => `fonts/${f}`)]
    .reduce((sum, f) => sum + fs.statSync(path.join(site, f)).size, 0);
  t.log(`page loaded at ${loaded.toFixed(0)} ms, data fetched at ${data.readyAt.toFixed(0)} ms: ${data.bytes} of ` +
        `${data.total} bytes (the site's files: ${bytes}, the music ${(100 * music / bytes).toFixed(0)} %); "${said}"`);
  t.expect(data.bytes === bytes && data.total === bytes, 'the progress does not count the bytes of the data and the fonts');

  await t.until(page, () => window.ks.prepared === 'held', 60, 'the run was not made ahead of the start');
  await page.click('#ks-start');
  await t.until(page, () => window.ksPlayingAt !== undefined, 30, 'the show did not start');
  const [handOver, ms, fetched] = await page.evaluate(() => [window.ksHandOverAt - window.ksClickAt,
    window.ksPlayingAt - window.ksClickAt, performance.getEntriesByType('resource')
      .filter((entry) => entry.startTime > window.ksClickAt && entry.startTime < window.ksPlayingAt).map((entry) => entry.name)]);
  t.log(`click to the show's start ${handOver.toFixed(0)} ms (limit ${HAND_OVER_MS}), to its first frame ${ms.toFixed(0)} ms ` +
        `(${ms <= CLICK_TO_FRAME_MS ? 'within' : 'over'} ${CLICK_TO_FRAME_MS} ms); fetched in between: ${fetched.length ? fetched.join(', ') : 'nothing'}`);
  t.expect(!fetched.length, 'the show fetched files after the click');
  await t.until(page, () => window.ks.audio === 'running', 5, 'the run made ahead of its start plays no sound');
  t.expect(handOver <= HAND_OVER_MS, 'the page did not let the show go at once');
  await page.keyboard.press('Escape');
  await t.until(page, () => window.ks.state === 'ended', 10, 'Escape did not end the show');
});
