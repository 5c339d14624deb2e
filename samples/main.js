// The sample's game logic: the handlers main.object names. Handlers are
// named on...() since objects of the tree are script globals by their names.
// Two crates fall onto the floor and score as they land. The start form at
// the top left takes the player's name (kept in the preferences), the music
// (streamed or the tracker tune, or none) and the sound volume, which the
// wheel turns too, and opens the object inspector; Play closes it. Then
// Space clicks and scores, E makes the floor burst, M swaps the music for
// the other one, and the console (its key, `) runs points(). Escape stores
// the score and ends the applet.
//
// Started with "+record=FILE" the applet records the input it gets into
// that file until it ends, with "+play=FILE" it plays such a recording,
// and with "+shot=FRAME:FILE" it pictures itself at that frame: the
// end-to-end tests drive it so. With "+bench=FRAMES" it notes each frame's time, logs them
// all after that many frames and ends (bench/sample_bench.py).

var frame = 0;
var score = 0;
var beats = 0;
var playerName = "";
var shots = [];
var quitting = false;
var benchFrames = 0;
var frameTimes = [];
var lastFrameAt = 0;
var landed = [];
var panelOpen = true;
var playing = null;  // the music player playing, if any

function param(prefix) {
  var params = applet.params;
  var found = [];
  for (var i = 0; i < params.count; i++) {
    var text = params.items(i);
    if (text.indexOf(prefix) == 0) found.push(text.substring(prefix.length));
  }
  return found;
}

function onStart() {
  if (preferences.user == "") preferences.addUser("Player");
  playerName = preferences.user;
  var runs = preferences.getIntValue("runs") + 1;
  preferences.setValue("runs", "" + runs);
  engine.log("sample: hello " + playerName + ", run " + runs);
  nameEdit.text = playerName;

  var recordInto = param("record=");
  if (recordInto.length > 0) event.recordEvent(recordInto[0]);
  var recordings = param("play=");
  if (recordings.length > 0) event.playEvent(recordings[0]);
  var wanted = param("shot=");
  for (var i = 0; i < wanted.length; i++) {
    var colon = wanted[i].indexOf(":");
    shots.push({ frame: parseInt(wanted[i].substring(0, colon)), file: wanted[i].substring(colon + 1) });
  }

  var bench = param("bench=");
  if (bench.length > 0) benchFrames = parseInt(bench[0]);

  // Bodies for the physics: the floor stands, the crates fall onto it.
  floor.spawn();
  redCrate.spawn();
  tealCrate.spawn();

  playing = music;
  playing.play();
  // From black into the scene.
  applet.fadeScreenToColor("#FF000000", 0);
  applet.hideScreen(1);
}

function onFrame() {
  frame++;
  if (benchFrames > 0) timeFrame();
  takeShots(frame);
}

// The pictures due by that frame, each once.
function takeShots(upTo) {
  for (var i = 0; i < shots.length; i++)
    if (!shots[i].taken && shots[i].frame <= upTo) {
      shots[i].taken = true;
      applet.makepng(shots[i].file);
      engine.log("sample: picture " + shots[i].file);
    }
}

// Wall-clock milliseconds between frames: the engine's deltaTime is
// smoothed and steps by the frame period.
function timeFrame() {
  var now = Date.now();
  if (frame == 1) engine.log("sample: first frame");
  else frameTimes.push(now - lastFrameAt);
  lastFrameAt = now;
  if (frameTimes.length == benchFrames) {
    engine.log("sample: frame times " + frameTimes.join(" "));
    benchFrames = 0;
    applet.terminate();
  }
}

function onBeat() {
  beats++;
  // The middle box turns a little on every beat.
  middle.zAngle = middle.zAngle + 15;
  if (beats == 1) engine.log("sample: timer running");
}

// A crate's first touch of anything: a click and a point. The score is
// stored once the game ends, so none comes during the fade-out.
function onLanded(crate) {
  if (quitting || landed.indexOf(crate.name) >= 0) return;
  landed.push(crate.name);
  click.play();
  score += 5;
  engine.log("sample: " + crate.name + " landed, score " + score);
}

// The form's Play: the name typed becomes the player's, and the form goes;
// the keys are the game's from then on.
function onPlay() {
  var name = nameEdit.text;
  if (name != "" && name != playerName) {
    preferences.renameUser(playerName, name);
    preferences.user = name;
    playerName = name;
  }
  startForm.visible = false;
  panelOpen = false;
  engine.log("sample: playing as " + playerName + ", inspector " + (inspector.visible ? "open" : "closed"));
}

// The music the drop-down names, while the check box allows music.
function chosenMusic() {
  return musicChoice.itemIndex == 1 ? tune : music;
}

function switchMusic(next) {
  if (playing) playing.stop();
  playing = next;
  if (playing) playing.play();
}

function onMusicChoice() {
  if (musicBox.checked) switchMusic(chosenMusic());
  engine.log("sample: music choice " + musicChoice.text);
}

function onMusicBox() {
  switchMusic(musicBox.checked ? chosenMusic() : null);
  engine.log("sample: music " + (musicBox.checked ? "on" : "off"));
}

// The track bar runs from 0 to 100; the sound engine's volume from 0 to 1.
// The applet keeps the volume in its preferences.
function onVolume() {
  var volume = Math.round(volumeBar.value);
  soundEngine.soundVolume = volume / 100;
  engine.log("sample: sound volume " + volume);
}

// The inspector over the applet's tree, at the right below the sky's top
// band; its close button hides it.
function onInspect() {
  inspector.root = applet;
  inspector.y = 40;
  inspector.height = 520;
  inspector.show();
  engine.log("sample: inspector shown");
}

// While the form is open the wheel turns the volume, 5 a notch.
function onWheel() {
  if (!panelOpen) return;
  var volume = Math.round(volumeBar.value) + 5 * Math.round(event.paramDelta.y);
  volumeBar.value = Math.max(0, Math.min(100, volume));
  onVolume();
}

// Typed into the console.
function points() {
  engine.log("sample: points " + score);
}

// Letters come as the characters typed (a key code only for keys such as
// Space or Escape), in either case.
function letter(key) {
  return String.fromCharCode(key).toUpperCase();
}

function onKey() {
  var key = event.paramKey;
  if (panelOpen && key != VK_ESCAPE) return;  // typed into the name
  if (letter(key) == "E") {  // a burst under the floor throws the crates up
    burst.explode(500, 20);
    engine.log("sample: explosion");
  } else if (key == VK_SPACE) {
    click.play();
    score += 10;
    engine.log("sample: click, score " + score);
  } else if (letter(key) == "M") {  // the other music
    switchMusic(playing == tune ? music : tune);
    engine.log("sample: " + (playing == tune ? "tracker tune" : "streamed music"));
  } else if (key == VK_ESCAPE && !quitting) {
    quit();
  }
}

function quit() {
  quitting = true;
  // On a machine too slow to reach their frames before the end, the
  // pictures asked for are taken now, before the fade-out.
  takeShots(frame + 1000000);
  scoreTable.addScore(playerName, score);
  preferences.setValue("lastScore", "" + score);
  engine.log("sample: final score " + score + " for " + playerName);
  if (param("record=").length > 0) event.stop();
  applet.fadeScreenToColorWait("#FF000000", 0.3);
  applet.terminate();
}
