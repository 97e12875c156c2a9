// Damaged or missing content in a copy of the site ends the run as natively: a missing picture
// shows the data-error box ("ERROR!!!" / "Error!!!\nData is not complite!", newline kept) and a
// console line naming the file, and once the box is answered the run ends with status 1; a
// picture that is not JPEG data ends it through the JPEG library's own error (its message and a
// line naming the file on the console, status 1, no box); a cut model shows the model reader's
// "Error" box with its reason, then the data-error box, and names the file.
const fs = require('fs');
const path = require('path');
const { check } = require('./driver');

// Waits for the page's box, answers it with its button, and says what it showed.
async function answerBox(t, page, label) {
  await t.until(page, () => document.querySelector('#ks-box').open || window.ks.state === 'ended', 60,
                `${label}: no message box`);
  const box = await page.evaluate(() => document.querySelector('#ks-box').open &&
    { caption: document.querySelector('.ks-box-caption').textContent, text: document.querySelector('.ks-box-text').textContent });
  t.expect(box, `${label}: the run ended without a box (console:\n  ${(await t.heard(page)).join('\n  ')})`);
  await page.evaluate(() => {
    window.ksBoxClosed = false;
    document.querySelector('#ks-box').addEventListener('close', () => { window.ksBoxClosed = true; }, { once: true });
  });
  await page.click('#ks-box-ok');
  await t.until(page, () => window.ksBoxClosed, 5, `${label}: the box stayed open after OK`);
  return box;
}

// The run's end: its status and what the console said.
async function ended(t, page, label) {
  await t.until(page, () => window.ks.state === 'ended', 30, `${label}: the run did not end`);
  const ks = await t.ks(page);
  const text = await page.evaluate(() => document.querySelector('#ks-ended-text').textContent);
  t.log(`${label}: status ${ks.exitStatus}; the page says "${text}"`);
  t.expect(ks.exitStatus === 1, `${label}: status ${ks.exitStatus}, wanted 1`);
  return (await t.heard(page)).join('\n');
}

const DATA_ERROR = { caption: 'ERROR!!!', text: 'Error!!!\nData is not complite!' };

check('data_errors', async (t) => {
  const root = path.join(t.work, 'sites');
  fs.mkdirSync(root);
  const copies = {
    'missing-title': { 'title.jpg': null },
    'garbled-title': { 'title.jpg': (bytes) => Buffer.concat([Buffer.alloc(64, 0x55), bytes.subarray(64)]) },
    'cut-model': { 'kratka.3ds': (bytes) => bytes.subarray(0, 1000) },
  };
  for (const [label, change] of Object.entries(copies)) fs.renameSync(t.siteWith(label, change), path.join(root, label));
  const base = await t.serve(root);
  const browser = await t.browser();

  let page = await t.open(browser, '', { base: `${base}missing-title/` });
  await t.begin(page);
  let box = await answerBox(t, page, 'missing picture');
  t.log(`missing picture: box ${JSON.stringify(box)}`);
  t.expect(box.caption === DATA_ERROR.caption && box.text === DATA_ERROR.text, 'missing picture: not the data-error box');
  let console_ = await ended(t, page, 'missing picture');
  t.expect(/cannot load data\/title\.jpg/.test(console_), `missing picture: no console line names data/title.jpg:\n${console_}`);
  t.expect(!/kratka\.3ds/.test(console_), 'missing picture: a model was read after the failed picture');
  await page.close();

  page = await t.open(browser, '', { base: `${base}garbled-title/` });
  await t.begin(page);
  console_ = await ended(t, page, 'garbled picture');
  t.expect(!(await page.evaluate(() => document.querySelector('#ks-box').open)), 'garbled picture: a box is open');
  t.expect(/Not a JPEG file/.test(console_), `garbled picture: the JPEG library's message is not on the console:\n${console_}`);
  t.expect(/title\.jpg/.test(console_), `garbled picture: no console line names title.jpg:\n${console_}`);
  await page.close();

  page = await t.open(browser, '', { base: `${base}cut-model/` });
  await t.begin(page);
  const reader = await answerBox(t, page, 'cut model');
  box = await answerBox(t, page, 'cut model, second box');
  t.log(`cut model: boxes ${JSON.stringify(reader)}, ${JSON.stringify(box)}`);
  t.expect(reader.caption === 'Error' && /data\/kratka\.3ds/.test(reader.text), 'cut model: not the reader\'s "Error" box');
  t.expect(box.caption === DATA_ERROR.caption && box.text === DATA_ERROR.text, 'cut model: not the data-error box');
  console_ = await ended(t, page, 'cut model');
  t.expect(/cannot load data\/kratka\.3ds/.test(console_), `cut model: no console line names data/kratka.3ds:\n${console_}`);
});
