// The page's worker: splashpack's module runs here, so that a long build never holds up the
// page. It takes one piece of work at a time (the page sends the next only when this one is
// answered): the files given since the last, then an inspection, a build and a preview.
import * as bridge from './bridge.js';

const started = bridge.openModule();

// The buffers an answer carries, handed over rather than copied.
function buffersOf(...answers) {
  const buffers = [];
  for (const answer of answers)
    for (const value of Object.values(answer || {}))
      if (value instanceof Uint8Array)
        buffers.push(value.buffer);
  return buffers;
}

function work(message) {
  const answer = {kind: 'done', id: message.id, inputErrors: {}, ms: {}};
  for (const input of message.inputs)
    answer.inputErrors[input.slot] = bridge.giveInput(input.slot, input.name, input.bytes);
  if (message.inspect)
    answer.inspect = bridge.inspect(message.inspect);
  if (message.build) {
    const begun = performance.now();
    answer.build = bridge.build(message.build);
    answer.ms.build = performance.now() - begun;
  }
  // A build or an inspection that failed leaves no splash to preview.
  const failed = message.preview &&
                 (message.preview.which === 'built' ? answer.build : answer.inspect);
  if (message.preview && !(failed && !failed.ok)) {
    const begun = performance.now();
    answer.preview = bridge.preview(bridge.splashes[message.preview.which], message.preview.args);
    answer.ms.preview = performance.now() - begun;
  }
  postMessage(answer, buffersOf(answer.inspect, answer.build, answer.preview));
}

onmessage = async (event) => {
  const message = event.data;
  try {
    await started;
    if (message.kind === 'start') {
      postMessage({kind: 'started', version: bridge.version()});
    } else if (message.kind === 'work') {
      work(message);
    } else if (message.kind === 'png') {
      const answer = bridge.previewPng();
      postMessage({kind: 'png', answer}, buffersOf(answer));
    }
  } catch (error) {
    postMessage({kind: 'failed', id: message.id, error: String(error)});
  }
};
