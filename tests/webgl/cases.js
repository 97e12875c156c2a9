// The OpenGL 1.1 stand-in over WebGL 2 against Mesa: the drawing cases of gl_cases.cpp run
// natively on an EGL pbuffer (the build's webgl_cases, which also writes the table of cases
// and their limits) and, built for the browser (build.sh), in headless Chromium (SwiftShader),
// compared pixel by pixel; and each picture presented on a 1000x500 canvas: 4:3 with black
// bars, the picture's content inside.
//   node tests/webgl/cases.js   (KS_WEB_KEEP=1 keeps PNGs of them, made by ImageMagick: web, native, difference)
// Also: neither the cases' module nor the show's (the site, where built) imports a WebGL entry
// point under its OpenGL name, which would bypass the stand-in.
// Needs emcc, Chromium, the native runner (KS_WEBGL_NATIVE, default build/tests/webgl_cases)
// and GLU built for the web (KS_WEB_DEPS, default build/web/deps: the web build makes it).
// KS_WEBGL_CASES names a folder where build.sh already built the browser's half. Runs on the
// web checks' driver (tests/web/driver.js).
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const { check, SITE, BUILD } = require('../web/driver');

const CANVAS = { width: 1000, height: 500 };

// RGBA rows (top first) as a PNG file, by ImageMagick (only for looking at them).
function writePng(file, rgba, width, height) {
  execFileSync('convert', ['-size', `${width}x${height}`, '-depth', '8', 'rgba:-', file], { input: Buffer.from(rgba) });
}

// Mean and far-off share of two RGBA pictures, and a picture of their difference (x4).
function compare(a, b, width, height) {
  const diff = new Uint8Array(width * height * 4);
  let sum = 0, far = 0;
  for (let i = 0; i < width * height; i++) {
    let largest = 0;
    for (let c = 0; c < 3; c++) {
      const d = Math.abs(a[i * 4 + c] - b[i * 4 + c]);
      sum += d;
      largest = Math.max(largest, d);
      diff[i * 4 + c] = Math.min(255, d * 4);
    }
    diff[i * 4 + 3] = 255;
    if (largest > 48) far++;
  }
  return { mean: sum / (width * height * 3), far: far / (width * height), diff };
}

// Mean colour of a rectangle of an RGBA picture.
function meanOf(rgba, width, x0, y0, w, h) {
  const m = [0, 0, 0];
  for (let y = y0; y < y0 + h; y++)
    for (let x = x0; x < x0 + w; x++) for (let c = 0; c < 3; c++) m[c] += rgba[(y * width + x) * 4 + c];
  return m.map((v) => v / (w * h));
}

// The 4:3 picture inside a frame, as the platform places it (largest, centred).
function pictureRect(width, height) {
  let w = width, h = height;
  if (w * 3 > h * 4) w = Math.floor(h * 4 / 3); else h = Math.floor(w * 3 / 4);
  return { x: Math.floor((width - w) / 2), y: Math.floor((height - h) / 2), w, h };
}

// The canvas: black outside the presented picture, and 8 x 6 cells of it matching the picture's.
function checkPresented(t, name, picture, width, height, canvas) {
  const cw = CANVAS.width, ch = CANVAS.height;
  const to = { h: ch, w: Math.round(ch * 640 / 480) };
  to.x = Math.floor((cw - to.w) / 2);
  to.y = 0;
  let bar = 0;
  for (let y = 0; y < ch; y++)
    for (const x of [0, to.x - 1, to.x + to.w, cw - 1]) bar = Math.max(bar, ...meanOf(canvas, cw, x, y, 1, 1));
  t.expect(bar === 0, `${name}: the bars beside the presented picture are not black (${bar})`);
  const from = pictureRect(width, height);
  let worst = 0;
  for (let j = 0; j < 6; j++)
    for (let i = 0; i < 8; i++) {
      const p = meanOf(picture, width, from.x + Math.floor(i * from.w / 8), from.y + Math.floor(j * from.h / 6),
                       Math.floor(from.w / 8), Math.floor(from.h / 6));
      const q = meanOf(canvas, cw, to.x + Math.floor(i * to.w / 8) + 1, to.y + Math.floor(j * to.h / 6) + 1,
                       Math.floor(to.w / 8) - 2, Math.floor(to.h / 6) - 2);
      for (let c = 0; c < 3; c++) worst = Math.max(worst, Math.abs(p[c] - q[c]));
    }
  t.expect(worst < 12, `${name}: the presented picture differs from the picture (a cell by ${worst.toFixed(1)})`);
  return worst;
}

// The WebGL entry points a module imports under their OpenGL names: any would bypass the
// stand-in (a call the stand-in does not serve, sent to WebGL as it stands). Counted in the
// glue's import object, where the stand-in's own ones appear as emscripten_gl*.
function plainGlImports(t, glue) {
  const text = fs.readFileSync(glue, 'utf8');
  const names = (text.match(/"[A-Za-z_]*gl[A-Z][A-Za-z0-9]*"\s*:/g) || []).map((m) => m.replace(/["\s:]/g, ''));
  t.expect(names.some((n) => n.startsWith('emscripten_gl')), `${glue}: no WebGL imports found (a glue this check cannot read)`);
  return names.filter((n) => /^gl[A-Z]/.test(n));
}

check('the OpenGL 1.1 stand-in draws as Mesa does', async (t) => {
  const native = process.env.KS_WEBGL_NATIVE || path.join(BUILD, 'tests/webgl_cases');
  t.expect(fs.existsSync(native), `no native runner at ${native} (cmake --build build --target webgl_cases)`);
  const build = process.env.KS_WEBGL_CASES || path.join(t.work, 'build');
  if (!process.env.KS_WEBGL_CASES) {
    t.site();  // the web build (skipped without Emscripten, off CI) made GLU for the web beside it
    execFileSync(path.join(__dirname, 'build.sh'), [build, process.env.KS_WEB_DEPS || path.join(BUILD, 'web/deps')],
                 { stdio: ['ignore', 'ignore', 'inherit'] });
  }
  const pictures = path.join(t.work, 'native');
  fs.mkdirSync(pictures);
  try {
    execFileSync(native, [pictures], { stdio: ['ignore', 'inherit', 'inherit'] });
  } catch (error) {
    t.fail(`the cases on Mesa failed (above): ${error.message}`);
  }
  const CASES = Object.fromEntries(JSON.parse(fs.readFileSync(path.join(pictures, 'cases.json'), 'utf8'))
    .map((c) => [c.name, Object.assign(c, { said: c.said && new RegExp(c.said) })]));
  const glues = [path.join(build, 'web_cases.js'), path.join(SITE, 'kelvo-strand.js')].filter((f) => fs.existsSync(f));
  for (const glue of glues) {
    const bypass = plainGlImports(t, glue);
    t.expect(bypass.length === 0, `${glue} calls WebGL past the stand-in: ${bypass.join(', ')}`);
  }
  t.log(`no WebGL entry point past the stand-in in ${glues.map((f) => path.basename(f)).join(' and ')}`);
  const names = Object.keys(CASES);
  const page = await t.open(await t.browser(), `page.html?cases=${names.join(',')}&cw=${CANVAS.width}&ch=${CANVAS.height}`,
                            { base: await t.serve(build) });
  await t.until(page, () => window.done, 180, 'the cases did not finish');
  const failure = await page.evaluate(() => window.failure);
  t.expect(!failure, `the page failed: ${failure}`);
  const results = await page.evaluate(() => window.results);
  const out = process.env.KS_WEB_KEEP ? t.work : null;
  const failed = [];
  for (const r of results) {
    const limits = CASES[r.name];
    const messages = r.lines.filter((line) => /webgl:|error|does not hold|abort/i.test(line) &&
                                              !(limits.said && limits.said.test(line)));
    if (r.status !== 0 || r.width === 0) {
      failed.push(`${r.name}: the case ended with ${r.status}: ${r.lines.join(' | ')}`);
      continue;
    }
    if (messages.length) failed.push(`${r.name}: ${messages.join(' | ')}`);
    const web = new Uint8Array(Buffer.from(r.picture, 'base64'));
    const native = new Uint8Array(fs.readFileSync(path.join(pictures, `${r.name}.native.rgba`)));
    t.expect(native.length === web.length, `${r.name}: ${web.length} bytes in the browser, ${native.length} natively`);
    const { mean, far, diff } = compare(web, native, r.width, r.height);
    if (/^(state|listnames)$/.test(r.name)) {  // squares of checks: none red
      let red = 0;
      for (let i = 0; i < web.length; i += 4) if (web[i] > 200 && web[i + 1] < 50) red++;
      if (red) failed.push(`${r.name}: a query answers wrongly in the browser (${r.lines.join(' | ')})`);
    }
    const canvas = new Uint8Array(Buffer.from(r.canvas, 'base64'));
    const presented = checkPresented(t, r.name, web, r.width, r.height, canvas);
    t.log(`${r.name} (${r.width}x${r.height}): mean difference ${mean.toFixed(2)}, ${(far * 100).toFixed(2)} % of ` +
          `pixels far off; presented within ${presented.toFixed(1)}`);
    if (out) {
      writePng(path.join(out, `${r.name}.web.png`), web, r.width, r.height);
      fs.writeFileSync(path.join(out, `${r.name}.web.rgba`), web);
      writePng(path.join(out, `${r.name}.native.png`), native, r.width, r.height);
      writePng(path.join(out, `${r.name}.diff.png`), diff, r.width, r.height);
      writePng(path.join(out, `${r.name}.canvas.png`), canvas, CANVAS.width, CANVAS.height);
    }
    if (mean > limits.mean || far > limits.far)
      failed.push(`${r.name}: the browser's picture is not Mesa's (mean ${mean.toFixed(2)} > ${limits.mean} ` +
                  `or ${(far * 100).toFixed(2)} % > ${limits.far * 100} % far off)`);
  }
  t.expect(results.length === names.length, `${results.length} of ${names.length} cases ran`);
  t.expect(failed.length === 0, failed.join('; '));
});
