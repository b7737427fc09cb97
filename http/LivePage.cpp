#include "http/LivePage.h"

#include "resources/Language.h"
#include "resources/Texts.h"

#include <nlohmann/json.hpp>

namespace http {

namespace {

// The document's frame; the texts of the language in force go between its parts.
constexpr const char* Head = R"html(<!DOCTYPE html>
<html lang="@LANG@">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Quorel</title>
<style>
:root { --fg: #1b1f24; --dim: #6a737d; --bg: #f4f5f7; --card: #fff; --line: #d8dce1;
        --ok: #1f8a3b; --warn: #b86e00; --bad: #c62828; --volt: #1565c0; --amp: #c2185b; }
* { box-sizing: border-box; }
body { margin: 0; font: 15px/1.4 system-ui, sans-serif; color: var(--fg); background: var(--bg); }
header { display: flex; flex-wrap: wrap; align-items: center; gap: 8px 16px; padding: 10px 14px;
         background: var(--card); border-bottom: 1px solid var(--line); }
header h1 { font-size: 18px; margin: 0; }
#link { padding: 4px 12px; border-radius: 14px; font-weight: 600; color: #fff; }
#link.ok { background: var(--ok); }
#link.reconnecting { background: var(--warn); }
#link.none, #link.server { background: var(--bad); }
#time { color: var(--dim); font-variant-numeric: tabular-nums; margin-left: auto; }
main { display: grid; grid-template-columns: repeat(auto-fit, minmax(min(340px, 100%), 1fr)); gap: 12px;
       padding: 12px; max-width: 1200px; margin: 0 auto; }
section { background: var(--card); border: 1px solid var(--line); border-radius: 8px;
          padding: 10px 14px; }
section h2 { font-size: 14px; margin: 0 0 8px; color: var(--dim); font-weight: 600; }
.wide { grid-column: 1 / -1; }
#readouts { display: grid; grid-template-columns: repeat(3, 1fr); gap: 8px; }
.readout { text-align: right; }
.readout .label { color: var(--dim); font-size: 13px; text-align: left; }
.readout .value { font-size: clamp(30px, 7vw, 64px); font-weight: 600;
                  font-variant-numeric: tabular-nums; line-height: 1.1; }
.readout .unit { font-size: 0.45em; margin-left: 4px; color: var(--dim); }
#volts { color: var(--volt); }
#amps { color: var(--amp); }
body.stale .readout .value { color: var(--dim); }
#state { display: flex; flex-wrap: wrap; gap: 6px 18px; margin-top: 8px; align-items: center; }
#mode { font-weight: 700; padding: 2px 10px; border-radius: 4px; background: #e3e7ec; }
#mode.CC { background: #ffe0b2; }
button { font: inherit; padding: 6px 14px; border-radius: 6px; border: 1px solid #9aa4ae;
         background: #fff; cursor: pointer; }
button:disabled, input:disabled { opacity: 0.45; cursor: not-allowed; }
#output { font-size: 20px; font-weight: 700; width: 100%; padding: 12px; }
#output.on { background: var(--ok); color: #fff; border-color: var(--ok); }
.row { display: flex; gap: 8px; align-items: center; margin: 6px 0; }
.row label { min-width: 5em; }
.row input[type=number] { width: 8em; font: inherit; padding: 5px; }
#message { min-height: 1.4em; margin: 8px 0 0; font-weight: 600; }
#message.error { color: var(--bad); }
table { border-collapse: collapse; width: 100%; }
td, th { padding: 4px 6px; text-align: left; border-bottom: 1px solid var(--line);
          white-space: nowrap; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
.tripped { color: var(--bad); font-weight: 700; }
.key { margin-left: 10px; font-weight: 700; }
#kVolts { color: var(--volt); }
#kAmps { color: var(--amp); }
#plot { width: 100%; height: 240px; display: block; }
#token { flex: 1; min-width: 8em; font: inherit; padding: 5px; }
#readonly { color: var(--warn); }
@media (max-width: 520px) {
  #readouts { grid-template-columns: 1fr; }
  .readout { display: flex; justify-content: space-between; align-items: baseline; }
  main { padding: 8px; gap: 8px; }
  td, th { padding: 4px 3px; white-space: normal; }
  #protections button { padding: 4px 8px; white-space: nowrap; }
  .row { flex-wrap: wrap; }
}
</style>
</head>
<body class="stale">
<header>
<h1>Quorel</h1><span id="link" class="server" role="status" aria-live="polite"></span>
<span id="time"></span>
</header>
<main>
<section class="wide">
<div id="readouts">
<div class="readout"><div class="label" id="lVolts"></div><div class="value"><span id="volts">-</span><span class="unit">V</span></div></div>
<div class="readout"><div class="label" id="lAmps"></div><div class="value"><span id="amps">-</span><span class="unit">A</span></div></div>
<div class="readout"><div class="label" id="lWatts"></div><div class="value"><span id="watts">-</span><span class="unit">W</span></div></div>
</div>
<div id="state"><span id="mode">--</span><span id="source"></span></div>
</section>
<section>
<h2 id="lOutput"></h2>
<button id="output" type="button"></button>
<h2 id="lSetpoints" style="margin-top:12px"></h2>
<form id="setpoints">
<div class="row"><label for="setVolts" id="lSetVolts"></label><input id="setVolts" type="number" step="0.01" min="0" inputmode="decimal"> V</div>
<div class="row"><label for="setAmps" id="lSetAmps"></label><input id="setAmps" type="number" step="0.001" min="0" inputmode="decimal"> A</div>
<div class="row"><button id="set" type="submit"></button></div>
</form>
<p id="message" role="alert"></p>
</section>
<section>
<h2 id="lCounters"></h2>
<table>
<tr><td id="lCharge"></td><td class="num"><span id="charge">-</span> Ah</td></tr>
<tr><td id="lEnergy"></td><td class="num"><span id="energy">-</span> Wh</td></tr>
<tr><td id="lOnTime"></td><td class="num" id="ontime">-</td></tr>
</table>
<div class="row"><button id="reset" type="button"></button></div>
<h2 id="lProtections" style="margin-top:12px"></h2>
<table id="protections"></table>
</section>
<section class="wide">
<h2><span id="lPlot"></span> <span class="key" id="kVolts"></span> <span class="key" id="kAmps"></span></h2>
<canvas id="plot"></canvas>
</section>
<section class="wide">
<div class="row"><label for="token" id="lToken"></label><input id="token" type="password" autocomplete="off">
<button id="keep" type="button"></button><button id="forget" type="button"></button></div>
<div id="readonly"></div>
</section>
</main>
<script id="texts" type="application/json">)html";

constexpr const char* Script = R"js(</script>
<script>
"use strict";
const T = JSON.parse(document.getElementById("texts").textContent);
const $ = (id) => document.getElementById(id);
const SPAN_MS = 10 * 60 * 1000;
const KINDS = ["ovp", "ocp", "opp"];
let token = localStorage.getItem("quorel-token") || "";
let status = null;
let samples = [];
let drawing = false;
let serverUp = false;

for (const [id, text] of Object.entries(T.labels)) $(id).textContent = text;

function fixed(v, digits) {
  return typeof v === "number" && isFinite(v) ? v.toFixed(digits) : "-";
}

function duration(seconds) {
  const s = Math.floor(seconds || 0);
  const two = (n) => String(n).padStart(2, "0");
  return Math.floor(s / 3600) + ":" + two(Math.floor(s / 60) % 60) + ":" + two(s % 60);
}

function showLink() {
  let state = "server";
  if (serverUp && status)
    state = status.connected ? "ok" : status.reconnecting ? "reconnecting" : "none";
  const link = $("link");
  link.className = state;
  link.textContent = {ok: T.connected, reconnecting: T.reconnecting, none: T.noDevice,
                      server: T.serverLost}[state];
  document.body.classList.toggle("stale", state !== "ok");
  showControls();
}

function showControls() {
  const live = serverUp && status && status.connected && status.voltage !== undefined;
  const may = token !== "";
  for (const id of ["output", "setVolts", "setAmps", "set"]) $(id).disabled = !(may && live);
  $("reset").disabled = !(may && serverUp);
  for (const b of document.querySelectorAll("#protections button, #protections input"))
    b.disabled = !(may && serverUp);
  $("readonly").textContent = may ? "" : T.readOnly;
  $("forget").disabled = !may;
}

function message(text, isError) {
  const m = $("message");
  m.textContent = text;
  m.className = isError ? "error" : "";
}

function showProtections(p) {
  const table = $("protections");
  if (!table.rows.length) {
    const head = table.insertRow();
    for (const t of ["", T.level, T.enabled, T.state, ""]) {
      const th = document.createElement("th");
      th.textContent = t;
      head.appendChild(th);
    }
    for (const kind of KINDS) {
      const row = table.insertRow();
      row.id = "p-" + kind;
      row.insertCell().textContent = T.kinds[kind];
      row.insertCell().className = "num";
      const on = document.createElement("input");
      on.type = "checkbox";
      on.setAttribute("aria-label", T.kinds[kind] + " " + T.enabled);
      on.addEventListener("change", () =>
        send("PUT", "/api/v1/protections/" + kind, {enabled: on.checked}));
      row.insertCell().appendChild(on);
      row.insertCell();
      const clear = document.createElement("button");
      clear.type = "button";
      clear.textContent = T.clear;
      clear.addEventListener("click", () => send("POST", "/api/v1/protections/" + kind + "/clear"));
      row.insertCell().appendChild(clear);
    }
  }
  for (const kind of KINDS) {
    const one = p[kind];
    const cells = $("p-" + kind).cells;
    const unit = kind === "ovp" ? " V" : kind === "ocp" ? " A" : " W";
    cells[1].textContent = fixed(one.level, kind === "ocp" ? 3 : 2) + unit +
                           (kind === "ocp" ? " / " + fixed(one.delay_s, 1) + " s" : "");
    cells[2].firstChild.checked = one.enabled;
    cells[3].textContent = one.tripped ? T.tripped : T.normal;
    cells[3].className = one.tripped ? "tripped" : "";
  }
}

function show(s) {
  status = s;
  const live = s.connected && s.voltage !== undefined;
  $("volts").textContent = live ? fixed(s.voltage, 3) : "-";
  $("amps").textContent = live ? fixed(s.current, 4) : "-";
  $("watts").textContent = live ? fixed(s.power, 3) : "-";
  $("mode").textContent = live ? s.mode : "--";
  $("mode").className = live ? s.mode : "";
  $("source").textContent = live ? T.sources[s.source] || s.source : "";
  $("time").textContent = (s.time || "").replace("T", " ").slice(0, 19);
  const out = $("output");
  out.textContent = live && s.output ? T.on : T.off;
  out.classList.toggle("on", !!(live && s.output));
  out.setAttribute("aria-pressed", live && s.output ? "true" : "false");
  for (const [id, value] of [["setVolts", s.voltageSetpoint], ["setAmps", s.currentSetpoint]]) {
    const field = $(id);
    if (live && document.activeElement !== field && !field.dataset.edited)
      field.value = fixed(value, id === "setVolts" ? 2 : 3);
  }
  $("charge").textContent = fixed(s.counters.charge_Ah, 4);
  $("energy").textContent = fixed(s.counters.energy_Wh, 4);
  $("ontime").textContent = duration(s.counters.output_on_s);
  showProtections(s.protections);
  showLink();
}

function sample(s) {
  if (!s.connected || s.voltage === undefined)
    return;
  const now = Date.now();
  samples.push([now, s.voltage, s.current]);
  while (samples.length && samples[0][0] < now - SPAN_MS)
    samples.shift();
  if (!drawing) {
    drawing = true;
    requestAnimationFrame(draw);
  }
}

function draw() {
  drawing = false;
  const canvas = $("plot");
  const ratio = window.devicePixelRatio || 1;
  const w = canvas.clientWidth, h = canvas.clientHeight;
  if (canvas.width !== Math.round(w * ratio) || canvas.height !== Math.round(h * ratio)) {
    canvas.width = Math.round(w * ratio);
    canvas.height = Math.round(h * ratio);
  }
  const g = canvas.getContext("2d");
  g.setTransform(ratio, 0, 0, ratio, 0, 0);
  g.clearRect(0, 0, w, h);
  const left = 44, right = 52, top = 8, bottom = 22;
  const pw = w - left - right, ph = h - top - bottom;
  const now = Date.now();
  let vmax = 1, amax = 0.1;
  for (const [, v, a] of samples) {
    vmax = Math.max(vmax, v);
    amax = Math.max(amax, a);
  }
  vmax = niceTop(vmax * 1.1);
  amax = niceTop(amax * 1.1);
  g.font = "11px system-ui, sans-serif";
  g.strokeStyle = "#d8dce1";
  g.fillStyle = "#6a737d";
  g.lineWidth = 1;
  g.textBaseline = "middle";
  const lines = 5;
  for (let i = 0; i <= lines; ++i) {
    const y = top + ph - (ph * i) / lines;
    g.beginPath();
    g.moveTo(left, y);
    g.lineTo(left + pw, y);
    g.stroke();
    g.textAlign = "right";
    g.fillText(decimal(vmax * i / lines, vmax / lines) + " V", left - 4, y);
    g.textAlign = "left";
    g.fillText(decimal(amax * i / lines, amax / lines) + " A", left + pw + 4, y);
  }
  g.textAlign = "center";
  g.textBaseline = "top";
  for (let m = 0; m <= 10; m += 2) {
    const x = left + pw - (pw * m) / 10;
    g.beginPath();
    g.moveTo(x, top);
    g.lineTo(x, top + ph);
    g.stroke();
    g.fillText(m === 0 ? "0" : "-" + m + " min", x, top + ph + 4);
  }
  const line = (index, top_, colour) => {
    g.strokeStyle = colour;
    g.lineWidth = 2;
    g.beginPath();
    samples.forEach((p, i) => {
      const x = left + pw - (pw * (now - p[0])) / SPAN_MS;
      const y = top + ph - (ph * p[index]) / top_;
      if (i) g.lineTo(x, y); else g.moveTo(x, y);
    });
    g.stroke();
  };
  line(1, vmax, "#1565c0");
  line(2, amax, "#c2185b");
}

// A value of the axis with as many decimals as its step needs.
function decimal(v, step) {
  return v.toFixed(Math.max(0, Math.ceil(-Math.log10(step) + 1e-9)));
}

// The top of an axis of five steps: 1, 2, 2.5 or 5 times a power of ten.
function niceTop(v) {
  const step = Math.pow(10, Math.floor(Math.log10(v)));
  for (const f of [1, 2, 2.5, 5, 10])
    if (v <= f * step) return f * step;
  return 10 * step;
}

async function send(method, path, body) {
  message("", false);
  try {
    const r = await fetch(path, {
      method,
      headers: {"Authorization": "Bearer " + token, "Content-Type": "application/json"},
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const answer = await r.json().catch(() => ({}));
    if (r.ok) {
      show(answer);
      return true;
    }
    message(r.status === 401 ? T.tokenRefused : answer.error || String(r.status), true);
  } catch (e) {
    message(T.serverLost, true);
  }
  if (status)
    show(status);
  return false;
}

$("output").addEventListener("click", () =>
  send("PUT", "/api/v1/output", {on: !(status && status.output)}));
$("reset").addEventListener("click", () => send("POST", "/api/v1/counters/reset"));
for (const id of ["setVolts", "setAmps"])
  $(id).addEventListener("input", () => { $(id).dataset.edited = "1"; });
$("setpoints").addEventListener("submit", async (e) => {
  e.preventDefault();
  const body = {};
  const v = parseFloat($("setVolts").value), a = parseFloat($("setAmps").value);
  if (isFinite(v)) body.volts = v;
  if (isFinite(a)) body.amps = a;
  if (!Object.keys(body).length)
    return;
  if (await send("PUT", "/api/v1/setpoints", body)) {
    delete $("setVolts").dataset.edited;
    delete $("setAmps").dataset.edited;
  }
});
$("keep").addEventListener("click", () => {
  token = $("token").value.trim();
  $("token").value = "";
  if (token) localStorage.setItem("quorel-token", token);
  message("", false);
  showControls();
});
$("forget").addEventListener("click", () => {
  token = "";
  localStorage.removeItem("quorel-token");
  showControls();
});

function follow() {
  const events = new EventSource("/events");
  events.onopen = () => { serverUp = true; showLink(); };
  events.onerror = () => {
    serverUp = false;
    showLink();
    if (events.readyState === EventSource.CLOSED) {
      events.close();
      setTimeout(follow, 2000);
    }
  };
  for (const name of ["status", "connect", "reconnect"])
    events.addEventListener(name, (e) => { serverUp = true; show(JSON.parse(e.data)); });
  events.addEventListener("reading", (e) => {
    serverUp = true;
    const s = JSON.parse(e.data);
    show(s);
    sample(s);
  });
  events.addEventListener("lost", (e) => {
    const d = JSON.parse(e.data);
    if (status) {
      status = Object.assign({}, status, {connected: false, reconnecting: d.reconnecting});
      show(status);
    }
  });
  events.addEventListener("trip", (e) => {
    const d = JSON.parse(e.data);
    message(T.kinds[d.kind] + " " + T.tripped, true);
  });
}

window.addEventListener("resize", () => requestAnimationFrame(draw));
showLink();
draw();
follow();
</script>
</body>
</html>
)js";

} // namespace

std::string livePage() {
    using nlohmann::json;
    const json texts = {{"labels",
                         {{"lVolts", texts::StatVoltage.str()},
                          {"lAmps", texts::StatCurrent.str()},
                          {"lWatts", texts::StatPower.str()},
                          {"lOutput", texts::GroupOutput.str()},
                          {"lSetpoints", texts::GroupSetpoints.str()},
                          {"lSetVolts", texts::StatVoltage.str()},
                          {"lSetAmps", texts::StatCurrent.str()},
                          {"set", texts::ButtonSet.str()},
                          {"lCounters", texts::LiveCounters.str()},
                          {"lCharge", texts::StatCharge.str()},
                          {"lEnergy", texts::StatEnergy.str()},
                          {"lOnTime", texts::StatOutputOnTime.str()},
                          {"reset", texts::StatReset.str()},
                          {"lProtections", texts::PageProtections.str()},
                          {"lPlot", texts::LivePlotSpan.str()},
          {"kVolts", texts::HistoryVoltage.str()},
          {"kAmps", texts::HistoryCurrent.str()},
                          {"lToken", texts::HttpToken.str()},
                          {"keep", texts::LiveTokenKeep.str()},
                          {"forget", texts::LiveTokenForget.str()}}},
                        {"connected", texts::LiveDeviceConnected.str()},
                        {"reconnecting", texts::LiveDeviceReconnecting.str()},
                        {"noDevice", texts::ResultNotConnected.str()},
                        {"serverLost", texts::LiveServerLost.str()},
                        {"on", texts::LiveOutputOn.str()},
                        {"off", texts::LiveOutputOff.str()},
                        {"readOnly", texts::LiveReadOnly.str()},
                        {"tokenRefused", texts::LiveTokenRefused.str()},
                        {"level", texts::ProtectionLevel.str()},
                        {"enabled", texts::ProtectionEnabled.str()},
                        {"state", texts::ProtectionState.str()},
                        {"normal", texts::ProtectionNormal.str()},
                        {"tripped", texts::ProtectionTripped.str()},
                        {"clear", texts::ProtectionClear.str()},
                        {"kinds",
                         {{"ovp", texts::ProtectionOverVoltage.str()},
                          {"ocp", texts::ProtectionOverCurrent.str()},
                          {"opp", texts::ProtectionOverPower.str()}}},
                        {"sources",
                         {{"usb-host", texts::SourceUsbHost.str()},
                          {"ac-adapter", texts::SourceAdapter.str()},
                          {"adapter-idle", texts::SourceAdapterIdle.str()}}}};
    // Inside a script element "</" would end it early.
    std::string data = texts.dump();
    for (std::size_t at = data.find("</"); at != std::string::npos; at = data.find("</", at + 3))
        data.replace(at, 2, "<\\/");
    std::string page = Head;
    page.replace(page.find("@LANG@"), 6,
                 texts::languageInUse() == texts::Language::English ? "en" : "ja");
    return page + data + Script;
}

} // namespace http
