// The page's side of the worker: work is sent for the latest settings only. One piece of work
// runs at a time; a change while it runs marks it stale, its answer is dropped when it comes, and
// the next is made from the settings as they stand then: nothing queues up behind a slow build.

export class Builds {
  // `compose(needs)` reads the form when the work is sent; `show(answer)` gets the answers of
  // the latest settings; `busy(on)` says when work starts and ends.
  constructor({compose, show, busy}) {
    this.compose = compose;
    this.show = show;
    this.onBusy = busy;
    this.worker = new Worker(new URL('worker.js', import.meta.url), {type: 'module'});
    this.worker.onmessage = (event) => this.answered(event.data);
    this.needs = {inspect: false, build: false, preview: false};
    this.inputs = [];
    this.change = 0;     // counts the changes asked for
    this.running = null; // {change, needs} of the work in the worker
    this.scheduled = false;
    this.idle = Promise.resolve();
    this.settle = null;
    this.asked = 0;      // when the latest change was asked for
    this.expected = 0;   // files being read, whose work is still to be asked for
    this.pngWaiters = [];
  }

  start() {
    return new Promise((resolve, reject) => {
      this.started = {resolve, reject};
      this.worker.onerror = (event) => reject(new Error(event.message || 'the worker failed'));
      this.worker.postMessage({kind: 'start'});
    });
  }

  // A promise that settles when the work for the latest settings is done and shown.
  get done() {
    return this.idle;
  }

  // A file for the module's slot, handed over with the next work.
  give(slot, name, bytes) {
    this.inputs = this.inputs.filter((input) => input.slot !== slot);
    this.inputs.push({slot, name, bytes});
  }

  begin() {
    if (this.settle)
      return;
    this.idle = new Promise((resolve) => (this.settle = resolve));
    this.onBusy(true);
  }

  // Work that `task` (reading a file) asks for when it ends: the page is busy from now on.
  async after(task) {
    this.expected++;
    this.begin();
    try {
      await task();
    } finally {
      this.expected--;
      if (!this.scheduled && !this.running)
        this.send();
    }
  }

  // Asks for work on the settings as they stand: {build, preview, inspect}.
  want(needs) {
    for (const [what, wanted] of Object.entries(needs))
      this.needs[what] = this.needs[what] || wanted;
    this.change++;
    this.asked = performance.now();
    this.begin();
    // Changes made together (a script setting several fields) go in one piece of work.
    if (!this.scheduled) {
      this.scheduled = true;
      queueMicrotask(() => {
        this.scheduled = false;
        this.send();
      });
    }
  }

  send() {
    if (this.running)
      return;
    const needs = this.needs;
    if (!needs.inspect && !needs.build && !needs.preview && this.inputs.length === 0) {
      this.finish();
      return;
    }
    this.needs = {inspect: false, build: false, preview: false};
    const work = this.compose(needs);
    const inputs = this.inputs;
    this.inputs = [];
    this.running = {change: this.change, needs};
    this.worker.postMessage({kind: 'work', id: this.change, inputs, ...work},
                            inputs.map((input) => input.bytes.buffer));
  }

  answered(message) {
    if (message.kind === 'started') {
      this.started.resolve(message.version);
      return;
    }
    if (message.kind === 'png') {
      this.pngWaiters.shift()?.(message.answer);
      return;
    }
    const {change, needs} = this.running;
    this.running = null;
    if (message.kind === 'failed')
      message = {inputErrors: {}, ms: {}, failure: message.error};
    if (change !== this.change) {
      // Stale: what it did is done again for the settings as they are now.
      for (const [what, needed] of Object.entries(needs))
        this.needs[what] = this.needs[what] || needed;
      this.show({...message, stale: true, build: undefined, preview: undefined,
                 inspect: undefined});
      this.send();
      return;
    }
    message.asked = this.asked;
    this.show(message);
    this.send();
  }

  finish() {
    if (!this.settle || this.expected > 0)
      return;
    const settle = this.settle;
    this.settle = null;
    this.onBusy(false);
    settle();
  }

  // The PNG of the preview last drawn.
  previewPng() {
    return new Promise((resolve) => {
      this.pngWaiters.push(resolve);
      this.worker.postMessage({kind: 'png'});
    });
  }
}
