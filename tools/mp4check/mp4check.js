#!/usr/bin/env node
// Parses a Halyard recording with mp4box.js (an MP4 parser independent of
// ours), prints its box layout and sample tables, and checks what mp4box.js
// itself does not: the recording layout, the reference lists, and that the
// time-to-sample, composition, size, chunk and sync tables agree with each
// other and with the bytes in mdat.
//
// usage: node mp4check.js FILE [--tracks 200,201,1,2] [--samples ID=N ...]
// Exit status 0 when every check passes, 1 otherwise.
'use strict';

const fs = require('fs');
const MP4Box = require('mp4box');

const args = process.argv.slice(2);
const file = args.shift();
const expectTracks = [];
const expectSamples = new Map();
while (args.length) {
  const a = args.shift();
  if (a === '--tracks') expectTracks.push(...args.shift().split(',').map(Number));
  else if (a === '--samples') {
    const [id, n] = args.shift().split('=').map(Number);
    expectSamples.set(id, n);
  } else {
    console.error('unknown argument ' + a);
    process.exit(2);
  }
}
if (!file) {
  console.error('usage: node mp4check.js FILE [--tracks 200,201,1,2] [--samples ID=N ...]');
  process.exit(2);
}

const failures = [];
function check(ok, what) {
  if (!ok) failures.push(what);
}

const bytes = fs.readFileSync(file);
const ab = bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.byteLength);
ab.fileStart = 0;
const mp4 = MP4Box.createFile();
mp4.onError = (e) => failures.push('mp4box: ' + e);
const logError = MP4Box.Log.error;
MP4Box.Log.error = (module, msg) => {
  failures.push('mp4box ' + module + ': ' + msg);
  logError.call(MP4Box.Log, module, msg);
};
mp4.appendBuffer(ab);
mp4.flush();

function printBox(box, depth) {
  console.log(`${'  '.repeat(depth)}${box.type} @${box.start} size ${box.size}`);
  const children = box.boxes || (box.type === 'stsd' ? box.entries : null) || (box.type === 'tref' ? box.references : null);
  if (children) for (const c of children) printBox(c, depth + 1);
  if (box.type === 'dref' && box.entries) for (const c of box.entries) printBox(c, depth + 1);
}

console.log('layout:');
for (const b of mp4.boxes) printBox(b, 1);

const top = mp4.boxes.map((b) => b.type);
check(JSON.stringify(top) === '["mdat","udta","moov"]', 'top-level boxes are ' + top.join(',') + ', want mdat,udta,moov');
const mdat = mp4.boxes[0];
check(mdat && mdat.type === 'mdat' && mdat.start === 0, 'mdat is not at offset 0');
const udta = mp4.boxes.find((b) => b.type === 'udta');
check(udta && udta.boxes && udta.boxes.length === 1 && udta.boxes[0].type === 'cprt', 'top-level udta holds no single cprt');

const moov = mp4.moov;
if (!moov) {
  failures.push('no moov');
} else {
  const kids = moov.boxes.map((b) => b.type);
  check(kids[0] === 'mvhd' && kids[1] === 'iods' && kids.slice(2).every((k) => k === 'trak'),
        'moov holds ' + kids.join(',') + ', want mvhd, iods, traks');
  check(!moov.boxes.some((b) => b.type === 'udta'), 'udta inside moov');

  const ids = moov.traks.map((t) => t.tkhd.track_id);
  console.log('tracks: ' + ids.join(', '));
  if (expectTracks.length) check(JSON.stringify(ids) === JSON.stringify(expectTracks), 'track order ' + ids.join(',') + ', want ' + expectTracks.join(','));
  const media = ids.filter((id) => id >= 200);
  const nextId = media.length ? Math.max(...media) + 1 : 200;
  check(moov.mvhd.next_track_id === nextId, `mvhd next_track_ID ${moov.mvhd.next_track_id}, want ${nextId}`);

  // The initial object descriptor: mp4box.js keeps its bytes only.
  const iods = moov.boxes.find((b) => b.type === 'iods');
  if (iods) {
    const d = bytes.subarray(iods.start + 12, iods.start + iods.size);
    const body = Array.from(d.subarray(5));
    check(d[0] === 0x10, 'iods descriptor tag ' + d[0]);
    check(body[0] === 0x00 && body[1] === 0x4f, 'iods object descriptor word');
    const profiles = body.slice(2, 7);
    console.log('iods profiles (OD, scene, audio, visual, graphics): ' + profiles.map((p) => p.toString(16)).join(' '));
    const incs = [];
    for (let i = 7; i + 9 <= body.length; i += 9) {
      check(body[i] === 0x0e, 'ES_ID_Inc tag');
      incs.push(((body[i + 5] << 24) | (body[i + 6] << 16) | (body[i + 7] << 8) | body[i + 8]) >>> 0);
    }
    check(JSON.stringify(incs) === '[1,2]', 'iods ES_ID_Inc ' + incs.join(','));
    check(profiles[2] === (media.length > 1 ? 0xfe : 2), 'iods audio profile ' + profiles[2]);
  }

  let longest = 0;
  for (const trak of moov.traks) {
    const id = trak.tkhd.track_id;
    const stbl = trak.mdia.minf.stbl;
    const handler = trak.mdia.hdlr.handler;
    const count = stbl.stsz.sample_count;
    const sum = (a) => a.reduce((x, y) => x + y, 0);
    const sttsCount = sum(stbl.stts.sample_counts);
    const sttsTotal = stbl.stts.sample_counts.reduce((t, c, i) => t + c * stbl.stts.sample_deltas[i], 0);
    const cttsCount = stbl.ctts ? sum(stbl.ctts.sample_counts) : count;
    const stss = stbl.stss ? Array.from(stbl.stss.sample_numbers) : [];
    const refs = trak.tref ? trak.tref.references.map((r) => r.type + '[' + Array.from(r.track_ids).join(',') + ']') : [];
    const pairs = (c, v) => Array.from(c).map((n, i) => `(${n}, ${v[i]})`).join(' ');
    console.log(`track ${id} ${handler}: ${count} samples, duration ${trak.mdia.mdhd.duration}/${trak.mdia.mdhd.timescale}`);
    console.log(`  stts ${pairs(stbl.stts.sample_counts, stbl.stts.sample_deltas)}`);
    if (stbl.ctts) console.log(`  ctts ${pairs(stbl.ctts.sample_counts, stbl.ctts.sample_offsets)}`);
    console.log(`  stsc ${stbl.stsc.first_chunk.length} entries, stco ${stbl.stco.chunk_offsets.length} chunks, stss ${stss.length ? '[' + stss.join(',') + ']' : 'none'}`);
    console.log(`  tref ${refs.join(' ') || 'none'}`);

    if (expectSamples.has(id)) check(count === expectSamples.get(id), `track ${id}: ${count} samples, want ${expectSamples.get(id)}`);
    check(sttsCount === count, `track ${id}: stts counts ${sttsCount} samples, stsz ${count}`);
    check(cttsCount === count, `track ${id}: ctts counts ${cttsCount} samples, stsz ${count}`);
    check(stbl.stco.chunk_offsets.length === count, `track ${id}: ${stbl.stco.chunk_offsets.length} chunks for ${count} samples`);
    check(trak.mdia.mdhd.duration === sttsTotal && trak.tkhd.duration === sttsTotal,
          `track ${id}: durations mdhd ${trak.mdia.mdhd.duration} tkhd ${trak.tkhd.duration}, stts total ${sttsTotal}`);
    // Every sample is its own chunk.
    let chunks = 0;
    for (let e = 0; e < stbl.stsc.first_chunk.length; ++e) {
      const next = e + 1 < stbl.stsc.first_chunk.length ? stbl.stsc.first_chunk[e + 1] : count + 1;
      check(stbl.stsc.samples_per_chunk[e] === 1 && stbl.stsc.first_chunk[e] >= 1, `track ${id}: stsc entry ${e}`);
      chunks += next - stbl.stsc.first_chunk[e];
    }
    check(chunks === count, `track ${id}: stsc covers ${chunks} chunks`);
    for (let s = 0; s < count; ++s) {
      const off = stbl.stco.chunk_offsets[s];
      const size = stbl.stsz.sample_sizes[s];
      check(off >= 8 && off + size <= mdat.size, `track ${id}: sample ${s + 1} outside mdat`);
    }
    check(stss.every((n, i) => n >= 1 && n <= count && (i === 0 || n > stss[i - 1])), `track ${id}: stss numbers out of order or range`);
    check(trak.samples.length === count, `track ${id}: mp4box built ${trak.samples.length} samples`);

    const sampleBytes = (s) => bytes.subarray(stbl.stco.chunk_offsets[s], stbl.stco.chunk_offsets[s] + stbl.stsz.sample_sizes[s]);
    if (handler === 'vide') {
      // Every sample is a picture; the sync table names exactly the I pictures.
      const intra = [];
      for (let s = 0; s < count; ++s) {
        const b = sampleBytes(s);
        check(b[0] === 0 && b[1] === 0 && b[2] === 1 && b[3] === 0xb6, `video sample ${s + 1} is not a picture`);
        if ((b[4] >> 6) === 0) intra.push(s + 1);
      }
      check(JSON.stringify(intra) === JSON.stringify(stss), `stss [${stss}] but I pictures at [${intra}]`);
      const dsi = trak.mdia.minf.stbl.stsd.entries[0].esds.esd.descs[0].descs[0];
      check(dsi && dsi.tag === 5, 'video esds without decoder specific info');
      check(refs.join(' ') === 'sync[1]', `video tref ${refs}`);
    } else if (handler === 'soun') {
      check(refs.join(' ') === 'sync[1]', `audio tref ${refs}`);
    } else if (handler === 'odsm') {
      const want = '01 80 80 80 1c 11 80 80 80 09 00 4f 0f 80 80 80 02 00 01 11 80 80 80 09 00 8f 0f 80 80 80 02 00 02';
      check(count === 1 && Buffer.from(sampleBytes(0)).toString('hex').match(/../g).join(' ') === want, 'object descriptor sample');
      check(refs.join(' ') === `mpod[${media.join(',')}] sync[1]`, `object descriptor tref ${refs}`);
      check(id === 2, 'object descriptor track ID ' + id);
    } else if (handler === 'sdsm') {
      check(count === 1 && stbl.stsz.sample_sizes[0] === 142, 'scene sample');
      check(refs.length === 0, 'scene track has a tref');
      check(id === 1, 'scene track ID ' + id);
    }
    longest = Math.max(longest, Math.floor(trak.mdia.mdhd.duration * 1000 / trak.mdia.mdhd.timescale));
  }
  check(moov.mvhd.duration === longest, `mvhd duration ${moov.mvhd.duration}, longest track ${longest}`);
}

if (failures.length) {
  for (const f of failures) console.log('FAIL: ' + f);
  process.exit(1);
}
console.log('mp4check: ok');
