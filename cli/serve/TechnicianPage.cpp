#include "cli/serve/TechnicianPage.h"

namespace kestrel::serve {

const char* PageHtml() {
  return R"HTML(<!DOCTYPE html>
<html lang="sk">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Kestrel</title>
<link rel="stylesheet" href="/app.css">
<script src="/app.js" defer></script>
</head>
<body>
<header>
  <h1>Kestrel</h1>
  <nav><button id="lang-sk" type="button">SK</button><button id="lang-en" type="button">EN</button></nav>
</header>
<section id="token-box" hidden>
  <label for="token" data-t="token"></label>
  <input id="token" type="password" autocomplete="off">
  <button id="token-use" type="button" data-t="use"></button>
</section>
<main>
<section>
  <h2 data-t="printer"></h2>
  <table id="status">
    <tr><th data-t="online"></th><td id="st-online"></td></tr>
    <tr><th data-t="firmware"></th><td id="st-firmware"></td></tr>
    <tr><th data-t="serial"></th><td id="st-serial"></td></tr>
    <tr><th data-t="state"></th><td id="st-state"></td></tr>
    <tr><th data-t="dayOpened"></th><td id="st-day"></td></tr>
    <tr><th data-t="closure"></th><td id="st-closure"></td></tr>
    <tr><th data-t="training"></th><td id="st-training"></td></tr>
    <tr><th data-t="paper"></th><td id="st-paper"></td></tr>
    <tr><th data-t="cover"></th><td id="st-cover"></td></tr>
  </table>
  <button id="refresh" type="button" data-t="refresh"></button>
  <button id="x-report" type="button" data-t="xReport"></button>
  <p id="x-result" class="result"></p>
</section>
<section>
  <h2 data-t="recent"></h2>
  <table id="receipts">
    <thead><tr><th data-t="id"></th><th data-t="kind"></th><th data-t="outcome"></th><th data-t="number"></th>
      <th data-t="total"></th><th data-t="time"></th></tr></thead>
    <tbody></tbody>
  </table>
</section>
<section>
  <h2 data-t="journal"></h2>
  <label for="journal-name" data-t="fileName"></label>
  <input id="journal-name" type="text" maxlength="64">
  <button id="journal-save" type="button" data-t="save"></button>
  <p id="journal-result" class="result"></p>
  <ul id="journals"></ul>
</section>
</main>
</body>
</html>
)HTML";
}

const char* PageScript() {
  return R"JS('use strict';
const texts = {
  sk: {token: 'Prístupový token', use: 'Použiť', printer: 'Tlačiareň', online: 'Pripojená', firmware: 'Firmvér',
    serial: 'Výrobné číslo', state: 'Stav', dayOpened: 'Deň otvorený', closure: 'Potrebná uzávierka',
    training: 'Tréningový režim', paper: 'Papier', cover: 'Kryt', refresh: 'Obnoviť', xReport: 'Tlačiť X-report',
    recent: 'Posledné doklady', id: 'Id', kind: 'Druh', outcome: 'Výsledok', number: 'Číslo', total: 'Suma',
    time: 'Čas', journal: 'Elektronický žurnál', fileName: 'Názov súboru', save: 'Uložiť žurnál',
    yes: 'áno', no: 'nie', printed: 'vytlačený', failed: 'neúspešný', pending: 'nevybavený', unknown: 'neznámy',
    ok: 'v poriadku', 'near-end': 'dochádza', out: 'došiel', open: 'otvorený', closed: 'zatvorený',
    done: 'Hotovo', saved: 'Uložené', noAnswer: 'neodpovedá'},
  en: {token: 'Access token', use: 'Use', printer: 'Printer', online: 'Online', firmware: 'Firmware',
    serial: 'Serial number', state: 'State', dayOpened: 'Day opened', closure: 'Day closure required',
    training: 'Training mode', paper: 'Paper', cover: 'Cover', refresh: 'Refresh', xReport: 'Print X report',
    recent: 'Recent receipts', id: 'Id', kind: 'Kind', outcome: 'Outcome', number: 'Number', total: 'Total',
    time: 'Time', journal: 'Electronic journal', fileName: 'File name', save: 'Save journal',
    yes: 'yes', no: 'no', printed: 'printed', failed: 'failed', pending: 'pending', unknown: 'unknown',
    ok: 'ok', 'near-end': 'near its end', out: 'out', open: 'open', closed: 'closed',
    done: 'Done', saved: 'Saved', noAnswer: 'does not answer'}
};
let lang = (navigator.language || '').toLowerCase().startsWith('sk') ? 'sk' : 'en';
let token = sessionStorage.getItem('kestrel-token') || '';
const $ = (id) => document.getElementById(id);
const t = (key) => (texts[lang][key] !== undefined ? texts[lang][key] : key);
const yesNo = (value) => (value === null || value === undefined ? '' : t(value ? 'yes' : 'no'));

function applyTexts() {
  document.documentElement.lang = lang;
  document.querySelectorAll('[data-t]').forEach((el) => { el.textContent = t(el.dataset.t); });
}

async function call(method, path, body) {
  const headers = {};
  if (token) headers['Authorization'] = 'Bearer ' + token;
  if (body !== undefined) headers['Content-Type'] = 'application/json';
  const reply = await fetch(path, {method, headers, body: body === undefined ? undefined : JSON.stringify(body)});
  if (reply.status === 401) $('token-box').hidden = false;
  let data = {};
  try { data = await reply.json(); } catch (e) { data = {}; }
  return {status: reply.status, data};
}

function errorText(data) {
  const error = data.error || {};
  return [error.text, error.resultCode ? '(' + error.resultCode + (error.extended ? '/' + error.extended : '') + ')' : '']
    .filter(Boolean).join(' ');
}

async function loadStatus() {
  const {data} = await call('GET', '/api/v1/printer');
  $('st-online').textContent = data.online ? t('yes') : t('noAnswer');
  $('st-firmware').textContent = data.firmware || '';
  $('st-serial').textContent = data.serialNumber || '';
  $('st-state').textContent = data.online ? data.printerState + ' ' + (data.printerStateText || '') : '';
  $('st-day').textContent = yesNo(data.dayOpened);
  $('st-closure').textContent = yesNo(data.closureRequired);
  $('st-training').textContent = yesNo(data.trainingMode);
  $('st-paper').textContent = data.paper ? t(data.paper) : '';
  $('st-cover').textContent = data.cover ? t(data.cover) : '';
  document.body.dataset.status = 'loaded';
}

async function loadReceipts() {
  const {data} = await call('GET', '/api/v1/receipts');
  const body = $('receipts').querySelector('tbody');
  body.textContent = '';
  for (const r of data.receipts || []) {
    const row = document.createElement('tr');
    const when = new Date(r.created * 1000).toLocaleString(lang === 'sk' ? 'sk-SK' : 'en-GB');
    for (const value of [r.id, r.kind, t(r.outcome), r.receiptNumber, r.total, when]) {
      const cell = document.createElement('td');
      cell.textContent = value === null || value === undefined ? '' : String(value);
      row.appendChild(cell);
    }
    row.title = r.check || (r.error && r.error.text) || '';
    body.appendChild(row);
  }
}

async function loadJournals() {
  const {data} = await call('GET', '/api/v1/journal');
  const list = $('journals');
  list.textContent = '';
  for (const f of data.files || []) {
    const item = document.createElement('li');
    const link = document.createElement('a');
    link.textContent = f.name;
    link.href = '#';
    link.addEventListener('click', (event) => { event.preventDefault(); download(f.name); });
    item.appendChild(link);
    item.appendChild(document.createTextNode(' (' + f.size + ' B)'));
    list.appendChild(item);
  }
}

async function download(name) {
  const headers = token ? {Authorization: 'Bearer ' + token} : {};
  const reply = await fetch('/api/v1/journal/' + encodeURIComponent(name), {headers});
  const link = document.createElement('a');
  link.href = URL.createObjectURL(await reply.blob());
  link.download = name;
  link.click();
}

async function xReport() {
  $('x-result').textContent = '…';
  const {data} = await call('POST', '/api/v1/reports/x', {});
  $('x-result').textContent = data.ok ? t('done') : errorText(data);
  await loadStatus();
}

async function saveJournal() {
  $('journal-result').textContent = '…';
  const {data} = await call('POST', '/api/v1/journal', {name: $('journal-name').value});
  $('journal-result').textContent = data.ok ? t('saved') + ': ' + data.files.join(', ') : errorText(data);
  await loadJournals();
}

async function loadAll() {
  await loadStatus();
  await loadReceipts();
  await loadJournals();
}

document.addEventListener('DOMContentLoaded', () => {
  $('lang-sk').addEventListener('click', () => { lang = 'sk'; applyTexts(); loadAll(); });
  $('lang-en').addEventListener('click', () => { lang = 'en'; applyTexts(); loadAll(); });
  $('token-use').addEventListener('click', () => {
    token = $('token').value.trim();
    sessionStorage.setItem('kestrel-token', token);
    $('token-box').hidden = true;
    loadAll();
  });
  $('refresh').addEventListener('click', loadAll);
  $('x-report').addEventListener('click', xReport);
  $('journal-save').addEventListener('click', saveJournal);
  applyTexts();
  loadAll();
});
)JS";
}

const char* PageStyle() {
  return R"CSS(body { font-family: sans-serif; margin: 0 auto; max-width: 60rem; padding: 0 1rem; color: #222; }
header { display: flex; justify-content: space-between; align-items: center; border-bottom: 1px solid #ccc; }
nav button { margin-left: 0.3rem; }
section { margin: 1.2rem 0; }
table { border-collapse: collapse; }
th, td { text-align: left; padding: 0.2rem 0.8rem 0.2rem 0; border-bottom: 1px solid #eee; }
button { padding: 0.3rem 0.8rem; margin: 0.3rem 0.3rem 0.3rem 0; }
.result { min-height: 1.2rem; color: #225; }
)CSS";
}

}  // namespace kestrel::serve
