// The page's speed in Debian's chromium: how long it takes to build a splash of a picture, and to
// redraw the preview when only the screen changes. Prints the samples as JSON.
//   node bench/page_bench.mjs PAGE_FOLDER BUILD_PICTURE PREVIEW_PICTURE RUNS
import {openPage} from '../tests/page/browser.mjs';

const [folder, buildPicture, previewPicture, runsText] = process.argv.slice(2);
const runs = Number(runsText || 5);

const browser = await openPage(folder);
const page = browser.page;
try {
  // Each change is waited for until the page has settled again; its own timings say how long
  // the module's work took, from the command line's arguments to the pixels or the bytes.
  async function settle(action) {
    const before = await page.evaluate(() => splashPage.timings.runs);
    await action();
    await page.waitForFunction((count) => splashPage.settled && splashPage.timings.runs > count,
                               {timeout: 60000}, before);
    return page.evaluate(() => ({...splashPage.timings}));
  }
  const setValue = (id, value) => page.evaluate((id, value) => {
    const element = document.getElementById(id);
    element.value = value;
    element.dispatchEvent(new Event('input', {bubbles: true}));
  }, id, value);

  const chooser = await page.$('#picture-file');
  await settle(() => chooser.uploadFile(buildPicture));
  const build = [];
  for (let i = 0; i < runs; i++)
    build.push((await settle(() => setValue('display-time', i % 2 ? '3s' : '4s'))).build);

  await settle(() => chooser.uploadFile(previewPicture));
  await settle(() => setValue('preview-screen', '1024x768'));
  const preview = [];
  for (let i = 0; i < runs; i++)
    preview.push((await settle(() => setValue('preview-depth', i % 2 ? '32' : '24'))).preview);
  console.log(JSON.stringify({build_ms: build, preview_ms: preview}));
} finally {
  await browser.close();
}
