// Pacing: one frame of the show per 40 ms of music whatever the display's refresh, at 60 Hz
// (headless Chromium's own animation frames over the DevTools protocol) and at 144 Hz. For
// 144 Hz the page's requestAnimationFrame is replaced, before any of its scripts run
// (Page.addScriptToEvaluateOnNewDocument), by one that calls back on a 144 Hz grid of
// performance.now(). Over several seconds the frames drawn (window.ks.frames) against the
// music they span (window.ks.musicMs) must be 25 a second: a timer that waited for whole
// display frames after each 40 ms would draw 20 a second at 60 Hz and 24 at 144 Hz, one that
// drew on every display frame 60 or 144, ticks that piled up more than 25.
const { check } = require('./driver');

const SECONDS = 6;       // of music measured, from 1.5 s on (the opening: a light scene)
const LOW = 24.6, HIGH = 25.4;

// Counts the animation frames (to say the refresh the page saw); at `hz` other than 0 drives
// them on a grid of that rate instead of the browser's.
function refresh(hz) {
  let callbacks = [];
  let frames = 0;
  window.ksRefreshFrames = () => frames;
  if (!hz) {
    const native = window.requestAnimationFrame.bind(window);
    const count = (now) => { frames++; native(count); };
    native(count);
    return;
  }
  let id = 0;
  window.requestAnimationFrame = (callback) => { callbacks.push([++id, callback]); return id; };
  window.cancelAnimationFrame = (cancelled) => { callbacks = callbacks.filter(([i]) => i !== cancelled); };
  const period = 1000 / hz;
  let due = performance.now() + period;
  const frame = () => {
    const now = performance.now();
    frames++;
    const run = callbacks;
    callbacks = [];
    for (const [, callback] of run) {
      try { callback(now); } catch (error) { setTimeout(() => { throw error; }); }
    }
    due += period;
    if (due < now) due = now + period;  // a late frame is not made up for
    setTimeout(frame, Math.max(0, due - performance.now()));
  };
  setTimeout(frame, period);
}

check('pacing', async (t) => {
  const browser = await t.browser({ width: 640, height: 480 });  // the least to present
  const failures = [];
  for (const hz of [0, 144]) {
    const page = await t.open(browser, '', { before: refresh, beforeArg: hz });
    await t.start(page);
    await t.until(page, () => window.ks.musicMs >= 1500, 20, 'the music did not reach 1.5 s');
    const read = () => page.evaluate(() => ({ frames: window.ks.frames, musicMs: window.ks.musicMs,
                                             refresh: window.ksRefreshFrames(), at: performance.now() }));
    const first = await read();
    await t.until(page, (to) => window.ks.musicMs >= to, SECONDS + 10, `the music did not play ${SECONDS} s`,
                  first.musicMs + SECONDS * 1000);
    const last = await read();
    const music = (last.musicMs - first.musicMs) / 1000;
    const rate = (last.frames - first.frames) / music;
    const seen = (last.refresh - first.refresh) / ((last.at - first.at) / 1000);
    t.log(`animation frames at ${seen.toFixed(1)} Hz: ${last.frames - first.frames} frames in ${music.toFixed(3)} s ` +
          `of music, ${rate.toFixed(2)} a second (limits ${LOW}-${HIGH})`);
    // Far fewer animation frames than asked for: a machine too busy to draw the show in time.
    if (hz) t.expect(Math.abs(seen - hz) < hz * 0.1, `the page's animation frames ran at ${seen.toFixed(1)} Hz, not ${hz} (a busy machine?)`);
    else t.expect(seen > 50 && seen < 70, `the browser's animation frames ran at ${seen.toFixed(1)} Hz, not about 60 (a busy machine?)`);
    if (rate < LOW || rate > HIGH) failures.push(`${rate.toFixed(2)} frames a second at ${seen.toFixed(0)} Hz`);
    await page.close();
  }
  t.expect(!failures.length, `not 25 frames a second of music: ${failures.join('; ')}`);
});
