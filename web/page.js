// The page: hands the picked ROM to the engine (romspan.js) in its in-memory file system, runs
// the job there and offers the result as a download. Nothing leaves the browser.
'use strict';

const fileInput = document.getElementById('rom-file');
const form = document.getElementById('job');
const expandButton = document.getElementById('expand');
const fixChecksum = document.getElementById('fix-checksum');
const statusArea = document.getElementById('status');
const download = document.getElementById('download');

const kFixChecksumKey = 'romspan.fix-checksum';
const kRomFolder = '/rom/';  // the job's working copy goes beside the ROM, in here
let engine = null;  // the compiled module, once loaded
let picked = null;  // {name, bytes} of the picked file
let pickCount = 0;
let printed = [];   // the engine's output lines during one call

// Runs one engine entry point on the picked file, placed at `path`; returns its result and the
// notifications it printed, each as "title : text".
function runJob(entry, path, argument) {
  printed = [];
  const result = engine.ccall(entry, 'number', ['string', 'string'], [path, argument]);
  return {succeeded: result !== 0, notes: printed};
}

function showNotes(notes, succeeded) {
  statusArea.replaceChildren(...notes.map(note => {
    const split = note.indexOf(' : ');
    const line = document.createElement('p');
    const title = document.createElement('strong');
    title.textContent = note.slice(0, split);
    line.append(title, ' ', note.slice(split + 3));
    return line;
  }));
  statusArea.className = succeeded ? 'succeeded' : 'failed';
}

function offerDownload(bytes) {
  if (download.href) URL.revokeObjectURL(download.href);
  download.href = URL.createObjectURL(new Blob([bytes], {type: 'application/octet-stream'}));
  download.download = picked.name;
  download.textContent = 'Download ' + picked.name;
  download.hidden = false;
}

function withdrawDownload() {
  download.hidden = true;
  if (download.href) URL.revokeObjectURL(download.href);
  download.removeAttribute('href');
}

async function pick(file) {
  withdrawDownload();
  statusArea.replaceChildren();
  picked = null;
  expandButton.disabled = true;
  const ticket = ++pickCount;
  const bytes = file ? new Uint8Array(await file.arrayBuffer()) : null;
  if (ticket !== pickCount) return;  // a later pick has taken over
  if (file) picked = {name: file.name, bytes};
  expandButton.disabled = !(engine && picked);
}

function expand(event) {
  event.preventDefault();
  if (!engine || !picked) return;
  withdrawDownload();
  const target = form.elements.target.value;
  if (!target) return;
  const path = kRomFolder + picked.name;
  engine.FS.writeFile(path, picked.bytes);
  const job = runJob('ExpandRomFile', path, target);
  showNotes(job.notes, job.succeeded);
  if (job.succeeded) offerDownload(engine.FS.readFile(path));
  engine.FS.unlink(path);
}

fileInput.addEventListener('change', () => pick(fileInput.files[0]));
form.addEventListener('submit', expand);
// A file dropped anywhere on the page is picked, rather than opened by the browser.
document.addEventListener('dragover', event => event.preventDefault());
document.addEventListener('drop', event => {
  event.preventDefault();
  if (event.dataTransfer.files.length === 0) return;
  fileInput.files = event.dataTransfer.files;
  pick(fileInput.files[0]);
});

try {
  fixChecksum.checked = localStorage.getItem(kFixChecksumKey) === 'on';
} catch (storageRefused) {
  // Without storage the box simply starts off.
}
fixChecksum.addEventListener('change', () => {
  try {
    localStorage.setItem(kFixChecksumKey, fixChecksum.checked ? 'on' : 'off');
  } catch (storageRefused) {
    // Nothing to remember it in.
  }
});

createRomspan({print: line => printed.push(line)}).then(module => {
  engine = module;
  engine.FS.mkdir(kRomFolder);
  expandButton.disabled = !picked;
});
