// The page's speed in Debian's chromium: how long it takes to build a splash of a picture, to
// redraw the preview when only the screen changes, and, for a camera's picture shrunk by --fit to
// 256 colours, the longest task on the page's thread while the author types the target and the
// rebuild after a change of the target. Prints the samples as JSON.
//   node bench/page_bench.mjs PAGE_FOLDER BUILD_PICTURE PREVIEW_PICTURE CAMERA_JPEG RUNS
import {openPage} from '../tests/page/browser.mjs';

const [folder, buildPicture, previewPicture, cameraPicture, runsText] = process.argv.slice(2);
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
    // A change of the background under transparent pixels (of which it has none) is a change of
    // the picture's shaping: the page reads and converts it again.
    build.push((await settle(() => setValue('background', i % 2 ? '#fffffe' : '#fffffd'))).build);

  await settle(() => chooser.uploadFile(previewPicture));
  await settle(() => setValue('preview-screen', '1024x768'));
  const preview = [];
  for (let i = 0; i < runs; i++)
    preview.push((await settle(() => setValue('preview-depth', i % 2 ? '32' : '24'))).preview);

  // The camera's picture, converted once; then the target typed at 150 ms a key, with the long
  // tasks of the page's thread (50 ms and more) observed meanwhile.
  await settle(() => chooser.uploadFile(cameraPicture));
  const converted = await settle(() => page.evaluate(() => {
    for (const [id, value] of [['fit', '1024x768'], ['colours', '256']]) {
      const element = document.getElementById(id);
      element.value = value;
      element.dispatchEvent(new Event('input', {bubbles: true}));
    }
  }));
  const typing = [];
  const rebuild = [];
  for (let i = 0; i < runs; i++) {
    await settle(() => setValue('target', ''));
    await page.evaluate(() => {
      window.longTasks = [];
      window.longTaskObserver = new PerformanceObserver((list) => {
        for (const entry of list.getEntries())
          window.longTasks.push(entry.duration);
      });
      window.longTaskObserver.observe({type: 'longtask'});
    });
    await page.focus('#target');
    await page.keyboard.type('setup.exe', {delay: 150});
    await page.evaluate(() => splashPage.busy);
    await new Promise((resolve) => setTimeout(resolve, 200));
    typing.push(await page.evaluate(() => {
      window.longTaskObserver.disconnect();
      return Math.max(0, ...window.longTasks);
    }));
    // From the change of the target to the new splash and preview shown.
    rebuild.push((await settle(() => setValue('target', i % 2 ? 'go.exe' : 'run.exe'))).shown);
  }
  console.log(JSON.stringify({build_ms: build, preview_ms: preview,
                              camera_convert_ms: converted.build,
                              typing_longest_task_ms: typing, target_rebuild_ms: rebuild}));
} finally {
  await browser.close();
}
