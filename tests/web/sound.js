// The sound clock and the end, in the engine the check runs in (autoplay allowed, so the page's
// AudioContext runs), played into a PulseAudio null sink of the check's own: the browser plays
// a stream into it, the music reaches the speakers (an analyser tapped onto the context's
// destination hears it); the show's
// position (window.ks.musicMs) is the time the device has played since the first buffer
// started (at each paint, behind it by no more than the frame's own time) and grows with it;
// with the context suspended the device plays nothing and the show's clock does not pass what
// was played, while frames go on; then it goes on with the sound; Escape ends the run (state "ended", status 0, "The show has ended.", "Play again") and the music stops:
// nothing more reaches the speakers and window.ks.audio says "stopped". Where the browser
// gives no AudioContext, the console says that the show plays silently, and it does, its clock
// keeping real time.
const { check, audioProbe } = require('./driver');

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// How far the position may be behind the played time at the quickest paint, per engine (the
// frame's own time, and how stale the browser's output timestamp is): measured up to 80 ms in
// Chromium, 1 ms in Firefox, 25 to 125 ms in WebKit (its stamp is the context's time, carried
// on by no clock between device buffers).
const SLACK_MS = { chromium: 100, firefox: 100, webkit: 250 };

check('sound', async (t) => {
  const browser = await t.browser({ sound: true });
  const page = await t.open(browser, '', { before: audioProbe });
  await t.start(page);
  await t.until(page, () => window.ksProbe.paints().filter(([ms]) => ms >= 500).length >= 60, 60,
                '60 frames were not drawn past 0.5 s');
  const probe = () => page.evaluate(() => window.ksProbe());
  const p = await probe();
  t.expect(p.firstStart !== undefined, `no sound was scheduled on the page's context (${JSON.stringify(p)})`);
  const streams = t.soundStreams();
  t.log(`context ${p.state}, peak level ${p.peak.toFixed(3)}; the sound server plays ${streams} stream(s)`);
  t.expect(streams > 0, 'the browser plays nothing into the sound server');
  t.expect(p.peak > 0.01, 'nothing reaches the speakers while the show plays');
  t.expect(t.inStep(await page.evaluate(() => window.ksProbe.paints()), 0, SLACK_MS[t.engine]),
           'the show does not follow the sound');

  // The sound stalls: so does the show.
  await page.evaluate(() => window.ksProbe.context().suspend());
  const held = await probe();
  await sleep(1500);
  const still = await probe();
  await page.evaluate(() => window.ksProbe.context().resume());
  const resumed = Date.now();
  await t.until(page, (ms) => window.ks.musicMs - ms >= 600, 5, 'the show\'s clock did not go on with the sound', still.musicMs);
  const after = await probe();
  // All that the context rendered before the suspension took hold (the heard position may
  // reach it: Firefox's output stamp is a device buffer old when the context stops).
  const playedMs = (still.rendered - p.firstStart) * 1000;
  t.log(`suspended 1.5 s after ${playedMs.toFixed(0)} ms rendered: musicMs ${held.musicMs} -> ${still.musicMs} ` +
        `(frames ${held.frames} -> ${still.frames}); resumed: ${after.musicMs} ${Date.now() - resumed} ms later`);
  t.expect(still.musicMs <= playedMs + 30, 'the show\'s clock ran on while the sound stood still');
  t.expect(still.frames > held.frames, 'the show stopped drawing while the sound stood still');

  // Escape: the end, and silence.
  await page.keyboard.press('Escape');
  await t.until(page, () => window.ks.state === 'ended', 10, 'Escape did not end the show');
  await sleep(300);
  const end = await t.ks(page);
  const gone = await probe();
  const page_ = await page.evaluate(() => ({ text: document.querySelector('#ks-ended-text').textContent,
                                             shown: !document.querySelector('#ks-ended').hidden,
                                             again: !!document.querySelector('#ks-again') }));
  t.log(`after Escape: state ${end.state} (body ${end.bodyState}), status ${end.exitStatus}, audio ${end.audio}, ` +
        `context ${gone.state}, peak level ${gone.peak}; "${page_.text}"`);
  t.expect(end.bodyState === 'ended' && end.exitStatus === 0, `ended with status ${end.exitStatus}`);
  t.expect(end.audio === 'stopped', `window.ks.audio is "${end.audio}" after the end`);
  t.expect(gone.state === 'closed' || gone.peak === 0, `sound still reaches the speakers after the end (peak ${gone.peak})`);
  t.expect(page_.shown && page_.text === 'The show has ended.' && page_.again, 'the page does not say that the show has ended');
  await page.close();

  // No Web Audio at all: the silent output keeps the time.
  const quiet = await t.open(browser, '', { before: () => { window.AudioContext = function () { throw new Error('none here'); }; } });
  await t.start(quiet);
  await t.until(quiet, () => window.ks.musicMs >= 500, 20, 'without sound the music clock did not start');
  const [m0, w0] = [(await t.ks(quiet)).musicMs, Date.now()];
  await sleep(3000);
  const [m1, w1] = [(await t.ks(quiet)).musicMs, Date.now()];
  const said = (await t.heard(quiet)).find((line) => /playing silently/.test(line));
  t.log(`without Web Audio: musicMs ${m0} -> ${m1} in ${w1 - w0} ms of real time; console: ${said}`);
  t.expect(said, `the console does not say that the show plays silently:\n  ${quiet.lines.join('\n  ')}`);
  t.expect(Math.abs((m1 - m0) - (w1 - w0)) <= 150, 'without sound the show\'s clock does not keep real time');
});
