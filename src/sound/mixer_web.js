// Music and effects through Web Audio, the browser host's mixer (host_web.cpp).
// The mixer owns the AudioContext: the page has it made in the player's
// first click, key press or tap (Module.sound.start) and asks it to resume
// or suspend (Module.sound, web/contract.js); without one the game stays
// silent. Music is decoded by the browser in the background and
// starts as soon as it is ready; effects are plain PCM WAV files, decoded at
// once, so a broken one is known at load time as the bank's rules need.
// A sound still on its way to the page (files_web.js) is taken as loaded and
// decoded when it comes; if it never comes or cannot be decoded, it is then
// what a missing one is at load time: a piece's slot is empty from then on
// (the bank asks, mixer_holds_music), and an effect switches all sound off.
/* global mergeInto, LibraryManager, FS, UTF8ToString, readWav, Mixer, _mixer_halt_music, _mixer_halt_channel */
mergeInto(LibraryManager.library, {
  $Mixer__deps: ['$FS'],
  $Mixer__postset: 'Mixer.offer();',
  $Mixer: {
    made: null,        // the page's AudioContext, made in a gesture
    context: null,     // while the mixer is open
    musicGain: null,
    music: [],         // slot: AudioBuffer, or null while decoding
    effects: [],       // slot: AudioBuffer
    effectGains: [],   // slot: GainNode, the effect's volume
    channels: [],      // channel: the source playing there
    playing: null,     // the music's source
    wanted: -1,        // music asked for while still decoding
    wantedLoops: -1,
    musicVolume: 1,
    off: false,        // an effect came too late to say it was missing
    // The page's hold on the sound, the one way it reaches the context.
    offer: function() {
      Module['sound'] = {
        start: function() {
          var AudioContext = window.AudioContext || window.webkitAudioContext;
          if (AudioContext && !Mixer.made) Mixer.made = Module['audioContext'] = new AudioContext();
        },
        // Only sound that waits: a closed context stays closed.
        resume: function() {
          if (Mixer.made && Mixer.made.state == 'suspended') Mixer.made.resume();
        },
        // True when sound was running.
        suspend: function() {
          if (!Mixer.made || Mixer.made.state != 'running') return false;
          Mixer.made.suspend();
          return true;
        }
      };
    },
    // The file's bytes now (null when there are none), or, for a file still
    // on its way, true after handing them to `use` when they come.
    whenRead: function(path, use) {
      var arrival = Module['siteFiles'].arrival(UTF8ToString(path));
      if (!arrival) return Mixer.readFile(path);
      path = UTF8ToString(path);
      arrival.then(function() {
        try {
          use(FS.readFile(path));
        } catch (e) {
          use(null);
        }
      });
      return true;
    },
    readFile: function(path) {
      try {
        return FS.readFile(UTF8ToString(path));
      } catch (e) {
        return null;
      }
    },
    stop: function(source) {
      if (!source) return;
      source.onended = null;
      try { source.stop(); } catch (e) {}
      source.disconnect();
    },
    startMusic: function(slot, loops) {
      var source = Mixer.context.createBufferSource();
      source.buffer = Mixer.music[slot];
      source.loop = loops < 0;
      source.connect(Mixer.musicGain);
      source.start();
      Mixer.playing = source;
    },
    // An AudioBuffer of the effect (readWav, wav_web.js), or null.
    decodeWav: function(bytes) {
      var wav = readWav(bytes);
      if (!wav) return null;
      try {
        var buffer = Mixer.context.createBuffer(wav.channels, wav.frames, wav.rate);
      } catch (e) {
        return null;  // a rate the browser does not play
      }
      var view = new DataView(wav.samples.buffer, wav.samples.byteOffset, wav.samples.byteLength);
      var width = wav.bits / 8;
      for (var c = 0; c < wav.channels; c++) {
        var samples = buffer.getChannelData(c);
        for (var i = 0; i < wav.frames; i++) {
          var p = (i * wav.channels + c) * width;
          samples[i] = width == 2 ? view.getInt16(p, true) / 32768 : (view.getUint8(p) - 128) / 128;
        }
      }
      return buffer;
    }
  },

  mixer_open__deps: ['$Mixer'],
  mixer_open: function() {
    var context = Mixer.made;
    if (!context) return 0;
    Mixer.context = context;
    Mixer.musicGain = context.createGain();
    Mixer.musicGain.gain.value = Mixer.musicVolume;
    Mixer.musicGain.connect(context.destination);
    return 1;
  },

  mixer_close__deps: ['$Mixer'],
  mixer_close: function() {
    if (!Mixer.context) return;
    Mixer.context.close();
    Mixer.context = null;
  },

  mixer_load_music__deps: ['$Mixer'],
  mixer_load_music: function(slot, path) {
    if (!Mixer.context) return 0;
    var context = Mixer.context;
    var decode = function(bytes) {
      if (Mixer.music[slot] !== null || Mixer.context !== context) return;  // freed meanwhile
      var broken = function() {
        Mixer.music[slot] = undefined;
        if (Mixer.wanted == slot) Mixer.wanted = -1;  // a broken piece stays silent
      };
      if (!bytes) return broken();
      context.decodeAudioData(bytes.buffer.slice(bytes.byteOffset, bytes.byteOffset + bytes.length)).then(function(buffer) {
        if (Mixer.music[slot] !== null) return;
        Mixer.music[slot] = buffer;
        if (Mixer.wanted == slot && Mixer.context) {
          Mixer.wanted = -1;
          Mixer.startMusic(slot, Mixer.wantedLoops);
        }
      }, broken);
    };
    var bytes = Mixer.whenRead(path, decode);
    if (!bytes) return 0;
    Mixer.music[slot] = null;
    if (bytes !== true) decode(bytes);
    return 1;
  },

  // A piece decoded or still on its way; not one known never to come or
  // not to decode.
  mixer_holds_music__deps: ['$Mixer'],
  mixer_holds_music: function(slot) {
    return Mixer.music[slot] !== undefined ? 1 : 0;
  },

  mixer_load_effect__deps: ['$Mixer', 'mixer_halt_music', 'mixer_halt_channel'],
  mixer_load_effect: function(slot, path) {
    if (!Mixer.context) return 0;
    var gain = Mixer.context.createGain();
    var bytes = Mixer.whenRead(path, function(bytes) {
      if (Mixer.effectGains[slot] !== gain) return;  // freed or loaded again meanwhile
      Mixer.effects[slot] = bytes && Mixer.decodeWav(bytes);
      if (Mixer.effects[slot]) return;
      Mixer.off = true;
      _mixer_halt_music();
      _mixer_halt_channel(-1);
    });
    var buffer = bytes === true ? null : bytes && Mixer.decodeWav(bytes);
    if (bytes !== true && !buffer) return 0;
    Mixer.effects[slot] = buffer;  // null until it comes
    gain.connect(Mixer.context.destination);
    Mixer.effectGains[slot] = gain;
    return 1;
  },

  mixer_free__deps: ['$Mixer'],
  mixer_free: function(slot) {
    if (Mixer.effectGains[slot]) Mixer.effectGains[slot].disconnect();
    Mixer.music[slot] = Mixer.effects[slot] = Mixer.effectGains[slot] = undefined;
  },

  mixer_play_music__deps: ['$Mixer'],
  mixer_play_music: function(slot, loops) {
    Mixer.stop(Mixer.playing);
    Mixer.playing = null;
    Mixer.wanted = -1;
    if (!Mixer.context || Mixer.off) return;
    if (Mixer.music[slot]) {
      Mixer.startMusic(slot, loops);
    } else if (Mixer.music[slot] === null) {
      Mixer.wanted = slot;
      Mixer.wantedLoops = loops;
    }
  },

  mixer_halt_music__deps: ['$Mixer'],
  mixer_halt_music: function() {
    Mixer.stop(Mixer.playing);
    Mixer.playing = null;
    Mixer.wanted = -1;
  },

  mixer_music_volume__deps: ['$Mixer'],
  mixer_music_volume: function(volume) {
    Mixer.musicVolume = Math.max(0, Math.min(128, volume)) / 128;
    if (Mixer.musicGain) Mixer.musicGain.gain.value = Mixer.musicVolume;
  },

  mixer_play_effect__deps: ['$Mixer'],
  mixer_play_effect: function(channel, slot) {
    Mixer.stop(Mixer.channels[channel]);
    Mixer.channels[channel] = null;
    if (!Mixer.context || Mixer.off || !Mixer.effects[slot]) return;
    var source = Mixer.context.createBufferSource();
    source.buffer = Mixer.effects[slot];
    source.connect(Mixer.effectGains[slot]);
    source.onended = function() {
      if (Mixer.channels[channel] === source) Mixer.channels[channel] = null;
      source.disconnect();
    };
    source.start();
    Mixer.channels[channel] = source;
  },

  mixer_effect_volume__deps: ['$Mixer'],
  mixer_effect_volume: function(slot, volume) {
    if (Mixer.effectGains[slot]) Mixer.effectGains[slot].gain.value = Math.max(0, Math.min(128, volume)) / 128;
  },

  mixer_halt_channel__deps: ['$Mixer'],
  mixer_halt_channel: function(channel) {
    for (var c = 0; c < 8; c++) {
      if (channel >= 0 && c != channel) continue;
      Mixer.stop(Mixer.channels[c]);
      Mixer.channels[c] = null;
    }
  }
});
