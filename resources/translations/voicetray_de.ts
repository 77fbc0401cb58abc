<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AppHotKeys</name>
    <message>
        <source>Start a new recording, or stop the one that runs</source>
        <translation>Eine neue Aufnahme beginnen oder die laufende beenden</translation>
    </message>
    <message>
        <source>Continue the selected recording, or stop the one that runs</source>
        <translation>Die ausgewählte Aufnahme fortsetzen oder die laufende beenden</translation>
    </message>
    <message>
        <source>Off. Instead, you can bind &quot;voicetray --record&quot; and &quot;voicetray --continue&quot; to shortcuts of your desktop.</source>
        <translation>Aus. Stattdessen können Sie „voicetray --record“ und „voicetray --continue“ an Tastenkürzel Ihrer Arbeitsumgebung binden.</translation>
    </message>
    <message>
        <source>Instead, bind &quot;voicetray --record&quot; and &quot;voicetray --continue&quot; to shortcuts of your desktop.</source>
        <translation>Binden Sie stattdessen „voicetray --record“ und „voicetray --continue“ an Tastenkürzel Ihrer Arbeitsumgebung.</translation>
    </message>
    <message>
        <source>Global hot keys need X11 or the desktop&apos;s global shortcuts portal, and neither is here.</source>
        <translation>Globale Tastenkürzel brauchen X11 oder das Portal für globale Tastenkürzel der Arbeitsumgebung, und keines von beiden ist vorhanden.</translation>
    </message>
    <message>
        <source>%1 is taken by another program: choose another combination, or bind &quot;%2&quot; to a shortcut of your desktop.</source>
        <translation>%1 ist von einem anderen Programm belegt: Wählen Sie eine andere Kombination, oder binden Sie „%2“ an ein Tastenkürzel Ihrer Arbeitsumgebung.</translation>
    </message>
    <message>
        <source>This desktop offers no global shortcuts portal: through X11 the keys work only while a VoiceTray window is active.</source>
        <translation>Diese Arbeitsumgebung bietet kein Portal für globale Tastenkürzel: Über X11 wirken die Tasten nur, solange ein Fenster von VoiceTray aktiv ist.</translation>
    </message>
    <message>
        <source>Provided by X11: %1 starts a new recording and %2 continues the selected one, from any application.</source>
        <translation>Über X11: %1 beginnt eine neue Aufnahme und %2 setzt die ausgewählte fort, aus jeder Anwendung.</translation>
    </message>
    <message>
        <source>(no keys yet: set them in the desktop&apos;s settings)</source>
        <translation>(noch keine Tasten: Legen Sie sie in den Einstellungen der Arbeitsumgebung fest)</translation>
    </message>
    <message>
        <source>Provided by the desktop portal: %1 starts a new recording and %2 continues the selected one, from any application.</source>
        <translation>Über das Portal der Arbeitsumgebung: %1 beginnt eine neue Aufnahme und %2 setzt die ausgewählte fort, aus jeder Anwendung.</translation>
    </message>
    <message>
        <source>The desktop did not bind the keys (%1). Instead, bind &quot;voicetray --record&quot; and &quot;voicetray --continue&quot; to shortcuts of your desktop.</source>
        <translation>Die Arbeitsumgebung hat die Tasten nicht gebunden (%1). Binden Sie stattdessen „voicetray --record“ und „voicetray --continue“ an Tastenkürzel Ihrer Arbeitsumgebung.</translation>
    </message>
    <message>
        <source>Asking the desktop for the keys...</source>
        <translation>Die Arbeitsumgebung wird nach den Tasten gefragt ...</translation>
    </message>
</context>
<context>
    <name>AutostartEntry</name>
    <message>
        <source>Record voice notes from the system tray</source>
        <translation>Sprachnotizen aus dem Systembereich aufnehmen</translation>
    </message>
</context>
<context>
    <name>CommandDispatcher</name>
    <message>
        <source>VoiceTray is not recording.</source>
        <translation>VoiceTray nimmt nicht auf.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>A voice recorder in the system tray.

While VoiceTray runs, starting it again hands the options to the running program; without options its window opens. When none runs, VoiceTray starts and then carries out the options.</source>
        <translation>Ein Sprachrekorder im Systembereich.

Läuft VoiceTray bereits, übergibt ein erneuter Start die Optionen an das laufende Programm; ohne Optionen öffnet sich sein Fenster. Läuft keines, startet VoiceTray und führt dann die Optionen aus.</translation>
    </message>
    <message>
        <source>Open the VoiceTray window.</source>
        <translation>Das Fenster von VoiceTray öffnen.</translation>
    </message>
    <message>
        <source>Start a new recording, or stop the one that runs (the Super+Shift+R hot key).</source>
        <translation>Eine neue Aufnahme beginnen oder die laufende beenden (das Tastenkürzel Super+Umschalt+R).</translation>
    </message>
    <message>
        <source>Continue the selected recording, or stop recording (the Super+Shift+C hot key).</source>
        <translation>Die ausgewählte Aufnahme fortsetzen oder die Aufnahme beenden (das Tastenkürzel Super+Umschalt+C).</translation>
    </message>
    <message>
        <source>Stop the running recording.</source>
        <translation>Die laufende Aufnahme stoppen.</translation>
    </message>
    <message>
        <source>Put a mark with the note (may be left out) into the running recording, at the time of the call.</source>
        <translation>Eine Marke mit der Notiz (kann fehlen) in die laufende Aufnahme setzen, zur Zeit des Aufrufs.</translation>
    </message>
    <message>
        <source>NOTE</source>
        <translation>NOTIZ</translation>
    </message>
    <message>
        <source>Print what VoiceTray does (&quot;recording 00:03:12 &quot;Untitled 3&quot;&quot; or &quot;idle&quot;); the exit status is 0 while it records, else 1.</source>
        <translation>Ausgeben, was VoiceTray tut („recording 00:03:12 &quot;Untitled 3&quot;&quot; oder „idle&quot;); der Exit-Status ist 0, während es aufnimmt, sonst 1.</translation>
    </message>
    <message>
        <source>Stop the recording that --record or --continue starts, or else the running one, once it is this long: 90m, 4s, 1h30m, or minutes.</source>
        <translation>Die Aufnahme, die --record oder --continue startet, sonst die laufende, stoppen, sobald sie so lang ist: 90m, 4s, 1h30m oder Minuten.</translation>
    </message>
    <message>
        <source>LENGTH</source>
        <translation>LÄNGE</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no length; write it as 90m, 4s, 1h30m or 2h.</source>
        <translation>„%1&quot; ist keine Länge; schreiben Sie sie als 90m, 4s, 1h30m oder 2h.</translation>
    </message>
</context>
<context>
    <name>CustomView</name>
    <message>
        <source>VoiceTray: the microphone is open, keeping the last seconds</source>
        <translation>VoiceTray: Das Mikrofon ist offen, die letzten Sekunden werden behalten</translation>
    </message>
    <message>
        <source>Input device: %1</source>
        <translation>Eingabegerät: %1</translation>
    </message>
    <message>
        <source>VoiceTray: recording %1</source>
        <translation>VoiceTray: Aufnahme %1</translation>
    </message>
    <message>
        <source>Stops in %1</source>
        <translation>Stoppt in %1</translation>
    </message>
</context>
<context>
    <name>DescrPanel</name>
    <message>
        <source>Recordings Editor</source>
        <translation>Aufnahmen-Editor</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Beschreibung</translation>
    </message>
</context>
<context>
    <name>EmptyLibraryHint</name>
    <message>
        <source>The folder of the recordings is not available:</source>
        <translation>Der Ordner der Aufnahmen ist nicht verfügbar:</translation>
    </message>
    <message>
        <source>Connect its drive, or choose another folder in the preferences.</source>
        <translation>Schließen Sie sein Laufwerk an oder wählen Sie in den Einstellungen einen anderen Ordner.</translation>
    </message>
    <message>
        <source>Press the red button to start a recording.</source>
        <translation>Drücken Sie den roten Knopf, um eine Aufnahme zu beginnen.</translation>
    </message>
    <message>
        <source>Press %1 or the red button to start a recording.</source>
        <translation>Drücken Sie %1 oder den roten Knopf, um eine Aufnahme zu beginnen.</translation>
    </message>
    <message>
        <source>Drop audio files here to import them.</source>
        <translation>Legen Sie Audiodateien hier ab, um sie zu importieren.</translation>
    </message>
</context>
<context>
    <name>ExportDialog</name>
    <message>
        <source>Reduce noise</source>
        <translation>Rauschen mindern</translation>
    </message>
    <message>
        <source>Even out loudness</source>
        <translation>Lautstärke angleichen</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>Opus (.opus), small, for voice</source>
        <translation>Opus (.opus), klein, für Sprache</translation>
    </message>
    <message>
        <source>MP3 (.mp3), plays everywhere</source>
        <translation>MP3 (.mp3), spielt überall</translation>
    </message>
    <message>
        <source>FLAC (.flac), lossless</source>
        <translation>FLAC (.flac), verlustfrei</translation>
    </message>
    <message>
        <source>WAV (.wav), uncompressed</source>
        <translation>WAV (.wav), unkomprimiert</translation>
    </message>
    <message>
        <source>M4A (.m4a), AAC as recorded</source>
        <translation>M4A (.m4a), AAC wie aufgenommen</translation>
    </message>
    <message>
        <source>Brings the voice to -16 LUFS, as podcasts are</source>
        <translation>Bringt die Stimme auf -16 LUFS, wie bei Podcasts</translation>
    </message>
    <message>
        <source>Choose...</source>
        <translation>Auswählen ...</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>Voice:</source>
        <translation>Stimme:</translation>
    </message>
    <message>
        <source>Save in:</source>
        <translation>Speichern in:</translation>
    </message>
    <message>
        <source>Export to</source>
        <translation>Exportieren nach</translation>
    </message>
</context>
<context>
    <name>HotKeyCombination</name>
    <message>
        <source>Super</source>
        <translation>Super</translation>
    </message>
    <message>
        <source>Ctrl</source>
        <translation>Strg</translation>
    </message>
    <message>
        <source>Alt</source>
        <translation>Alt</translation>
    </message>
    <message>
        <source>Shift</source>
        <translation>Umschalt</translation>
    </message>
</context>
<context>
    <name>HotKeyPreferences</name>
    <message>
        <source>New recording</source>
        <translation>Neue Aufnahme</translation>
    </message>
    <message>
        <source>Continue</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Ändern</translation>
    </message>
    <message>
        <source>Press the new keys, with Super, Ctrl, Alt or Shift</source>
        <translation>Drücken Sie die neuen Tasten, mit Super, Strg, Alt oder Umschalt</translation>
    </message>
</context>
<context>
    <name>Library</name>
    <message>
        <source>&quot;%1&quot; moved to the Trash</source>
        <translation>„%1“ in den Papierkorb verschoben</translation>
    </message>
    <message>
        <source>&quot;%1&quot; deleted</source>
        <translation>„%1“ gelöscht</translation>
    </message>
    <message>
        <source>%1 recordings moved to the Trash</source>
        <translation>%1 Aufnahmen in den Papierkorb verschoben</translation>
    </message>
    <message>
        <source>%1 recordings deleted</source>
        <translation>%1 Aufnahmen gelöscht</translation>
    </message>
    <message>
        <source>%1 items moved to the Trash</source>
        <translation>%1 Einträge in den Papierkorb verschoben</translation>
    </message>
    <message>
        <source>%1 items deleted</source>
        <translation>%1 Einträge gelöscht</translation>
    </message>
    <message>
        <source>Delete &quot;%1&quot; permanently? It cannot be had back.</source>
        <translation>„%1“ endgültig löschen? Es lässt sich nicht wiederherstellen.</translation>
    </message>
    <message>
        <source>Delete these %1 items permanently? They cannot be had back.</source>
        <translation>Diese %1 Einträge endgültig löschen? Sie lassen sich nicht wiederherstellen.</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is no longer in the Trash and cannot be brought back.</source>
        <translation>„%1“ ist nicht mehr im Papierkorb und lässt sich nicht zurückholen.</translation>
    </message>
    <message>
        <source>These are no longer in the Trash and cannot be brought back:</source>
        <translation>Diese sind nicht mehr im Papierkorb und lassen sich nicht zurückholen:</translation>
    </message>
    <message>
        <source>These files were not imported: VoiceTray was stopped while it converted them, and they are no longer there.</source>
        <translation>Diese Dateien wurden nicht importiert: VoiceTray wurde beendet, während es sie umwandelte, und sie sind nicht mehr vorhanden.</translation>
    </message>
    <message>
        <source>Importing...</source>
        <translation>Importieren...</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
    <message>
        <source>Unable to create a new category</source>
        <translation>Eine neue Kategorie kann nicht angelegt werden</translation>
    </message>
    <message>
        <source>Unable to rename the item</source>
        <translation>Der Eintrag kann nicht umbenannt werden</translation>
    </message>
    <message>
        <source>Item with the same name already exists in this category</source>
        <translation>In dieser Kategorie gibt es bereits einen Eintrag mit diesem Namen</translation>
    </message>
    <message>
        <source>Unable to split recording</source>
        <translation>Die Aufnahme kann nicht geteilt werden</translation>
    </message>
    <message>
        <source>Splitting...</source>
        <translation>Teilen...</translation>
    </message>
    <message>
        <source>The label file &quot;%1&quot; could not be read.</source>
        <translation>Die Marken-Datei „%1“ konnte nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Line %1 of &quot;%2&quot; is not a label: each line holds a start and an end in seconds and a note, separated by tabs. No marks were added.</source>
        <translation>Zeile %1 von „%2“ ist keine Marke: Jede Zeile enthält Anfang und Ende in Sekunden und eine Notiz, durch Tabulatoren getrennt. Es wurden keine Marken hinzugefügt.</translation>
    </message>
    <message>
        <source>A CUE sheet holds at most %1 tracks, and this recording has %2 marks. Export them as a label file instead.</source>
        <translation>Eine CUE-Datei fasst höchstens %1 Titel, diese Aufnahme hat aber %2 Marken. Exportieren Sie sie stattdessen als Marken-Datei.</translation>
    </message>
    <message>
        <source>The marks could not be written to &quot;%1&quot;.</source>
        <translation>Die Marken konnten nicht nach „%1“ geschrieben werden.</translation>
    </message>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
    <message>
        <source>Unable to create a folder, try to change the path to the recordings in the preferences</source>
        <translation>Ein Ordner kann nicht angelegt werden; ändern Sie bitte den Ordner der Aufnahmen in den Einstellungen</translation>
    </message>
    <message>
        <source>The folder of the recordings is not available. Connect its drive or choose another folder in the preferences.</source>
        <translation>Der Ordner der Aufnahmen ist nicht verfügbar. Schließen Sie sein Laufwerk an oder wählen Sie in den Einstellungen einen anderen Ordner.</translation>
    </message>
    <message>
        <source>The library file &quot;%1&quot; cannot be read. Changes are not saved until it can be read.</source>
        <translation>Die Bibliotheksdatei &quot;%1&quot; kann nicht gelesen werden. Änderungen werden erst gespeichert, wenn sie gelesen werden kann.</translation>
    </message>
    <message>
        <source>The library file could not be read. It was kept as &quot;%1&quot; and the library starts empty.</source>
        <translation>Die Bibliotheksdatei konnte nicht gelesen werden. Sie wurde als &quot;%1&quot; aufbewahrt, und die Bibliothek beginnt leer.</translation>
    </message>
    <message>
        <source>Unable to save the structure of recordings</source>
        <translation>Die Gliederung der Aufnahmen kann nicht gespeichert werden</translation>
    </message>
</context>
<context>
    <name>MainView</name>
    <message>
        <source>Add Category</source>
        <translation>Kategorie hinzufügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Split at Marks</source>
        <translation>An Marken teilen</translation>
    </message>
    <message>
        <source>Show Recordings Editor</source>
        <translation>Aufnahmen-Editor einblenden</translation>
    </message>
    <message>
        <source>Recordings Editor</source>
        <translation>Aufnahmen-Editor</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message>
        <source>Jump Backward 30 Seconds</source>
        <translation>30 Sekunden zurück</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Jump Forward 30 Seconds</source>
        <translation>30 Sekunden vor</translation>
    </message>
    <message>
        <source>Add Mark</source>
        <translation>Marke setzen</translation>
    </message>
    <message>
        <source>Remove Mark</source>
        <translation>Marke entfernen</translation>
    </message>
    <message>
        <source>Start a New Recording (Super+Shift+R)</source>
        <translation>Neue Aufnahme beginnen (Super+Umschalt+R)</translation>
    </message>
    <message>
        <source>Continue Recording (Super+Shift+C)</source>
        <translation>Aufnahme fortsetzen (Super+Umschalt+C)</translation>
    </message>
</context>
<context>
    <name>NoteTextField</name>
    <message>
        <source>Type Note Here</source>
        <translation>Notiz hier eingeben</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Notiz</translation>
    </message>
</context>
<context>
    <name>NoteView</name>
    <message>
        <source>Position: %1</source>
        <translation>Position: %1</translation>
    </message>
</context>
<context>
    <name>PlansDialog</name>
    <message>
        <source>Planned Recordings</source>
        <translation>Geplante Aufnahmen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Add Plan</source>
        <translation>Plan hinzufügen</translation>
    </message>
    <message>
        <source>Lecture — Thursday</source>
        <translation>Vorlesung — Donnerstag</translation>
    </message>
    <message>
        <source>Once</source>
        <translation>Einmal</translation>
    </message>
    <message>
        <source>Every day</source>
        <translation>Jeden Tag</translation>
    </message>
    <message>
        <source>Every week</source>
        <translation>Jede Woche</translation>
    </message>
    <message>
        <source> min</source>
        <translation> min</translation>
    </message>
    <message>
        <source>(top of the library)</source>
        <translation>(oberste Ebene der Bibliothek)</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Titel</translation>
    </message>
    <message>
        <source>Starts</source>
        <translation>Beginnt</translation>
    </message>
    <message>
        <source>Repeats</source>
        <translation>Wiederholung</translation>
    </message>
    <message>
        <source>Length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Kategorie</translation>
    </message>
    <message>
        <source>every day at %1</source>
        <translation>jeden Tag um %1</translation>
    </message>
    <message>
        <source>every %1 at %2</source>
        <translation>jeden %1 um %2</translation>
    </message>
    <message>
        <source>%1 — %2, %3 min</source>
        <translation>%1 — %2, %3 min</translation>
    </message>
    <message>
        <source>, in %1</source>
        <translation>, in %1</translation>
    </message>
</context>
<context>
    <name>PortalShortcutBackend</name>
    <message>
        <source>the desktop cancelled the session</source>
        <translation>die Arbeitsumgebung hat die Sitzung abgebrochen</translation>
    </message>
    <message>
        <source>the desktop gave no session</source>
        <translation>die Arbeitsumgebung hat keine Sitzung gegeben</translation>
    </message>
    <message>
        <source>cancelled in the desktop&apos;s dialog</source>
        <translation>im Dialog der Arbeitsumgebung abgebrochen</translation>
    </message>
    <message>
        <source>the desktop ended the request</source>
        <translation>die Arbeitsumgebung hat die Anfrage beendet</translation>
    </message>
</context>
<context>
    <name>PreferencesController</name>
    <message>
        <source>Unable to start VoiceTray at login</source>
        <translation>VoiceTray kann nicht bei der Anmeldung gestartet werden</translation>
    </message>
    <message>
        <source>Unable to stop starting VoiceTray at login</source>
        <translation>Der Start von VoiceTray bei der Anmeldung lässt sich nicht abschalten</translation>
    </message>
</context>
<context>
    <name>PreferencesView</name>
    <message>
        <source>Microphone and computer sound</source>
        <translation>Mikrofon und Computerton</translation>
    </message>
    <message>
        <source>The default microphone and what the default output plays, recorded together</source>
        <translation>Das Standardmikrofon und was die Standardausgabe abspielt, zusammen aufgenommen</translation>
    </message>
    <message>
        <source>Keep the last seconds before a recording starts</source>
        <translation>Die letzten Sekunden vor dem Aufnahmebeginn behalten</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Seconds kept before a recording</source>
        <translation>Vor einer Aufnahme behaltene Sekunden</translation>
    </message>
    <message>
        <source>The microphone stays open, heard into memory only.</source>
        <translation>Das Mikrofon bleibt offen, nur in den Arbeitsspeicher.</translation>
    </message>
    <message>
        <source>Choose a Folder for Recordings</source>
        <translation>Ordner für Aufnahmen wählen</translation>
    </message>
    <message>
        <source>Choose</source>
        <translation>Wählen</translation>
    </message>
    <message>
        <source>Skip silence</source>
        <translation>Stille auslassen</translation>
    </message>
    <message>
        <source>Use global hot keys</source>
        <translation>Globale Tastenkürzel verwenden</translation>
    </message>
    <message>
        <source>Start VoiceTray at login</source>
        <translation>VoiceTray bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Zurück</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Recording</source>
        <translation>Aufnahme</translation>
    </message>
    <message>
        <source>Input device</source>
        <translation>Eingabegerät</translation>
    </message>
    <message>
        <source>Save in</source>
        <translation>Speichern in</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualität</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Niedrig</translation>
    </message>
    <message>
        <source>Medium</source>
        <translation>Mittel</translation>
    </message>
    <message>
        <source>High</source>
        <translation>Hoch</translation>
    </message>
    <message>
        <source>Silence</source>
        <translation>Stille</translation>
    </message>
    <message>
        <source>Threshold</source>
        <translation>Schwelle</translation>
    </message>
    <message>
        <source>Input level</source>
        <translation>Pegel</translation>
    </message>
    <message>
        <source>Long quiet stretches are left out of the recording. Sound that stays left of the red mark counts as quiet.</source>
        <translation>Lange leise Abschnitte werden nicht aufgenommen. Was links der roten Marke bleibt, gilt als leise.</translation>
    </message>
    <message>
        <source>Hot Keys</source>
        <translation>Tastenkürzel</translation>
    </message>
    <message>
        <source>Other...</source>
        <translation>Anderer...</translation>
    </message>
</context>
<context>
    <name>ProgressSheet</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>PulseCapture</name>
    <message>
        <source>VoiceTray recording</source>
        <translation>VoiceTray-Aufnahme</translation>
    </message>
</context>
<context>
    <name>PulsePlaybackStream</name>
    <message>
        <source>Playback</source>
        <translation>Wiedergabe</translation>
    </message>
</context>
<context>
    <name>RateController</name>
    <message>
        <source>Rate VoiceTray</source>
        <translation>VoiceTray bewerten</translation>
    </message>
    <message>
        <source>&lt;b&gt;Enjoying VoiceTray?&lt;/b&gt;&lt;br&gt;&lt;br&gt;If it is useful to you, please take a moment to rate it in your software centre. Thank you for your support!</source>
        <translation>&lt;b&gt;Gefällt Ihnen VoiceTray?&lt;/b&gt;&lt;br&gt;&lt;br&gt;Wenn es Ihnen nützt, nehmen Sie sich bitte einen Moment Zeit, es in Ihrer Softwareverwaltung zu bewerten. Vielen Dank für Ihre Unterstützung!</translation>
    </message>
    <message>
        <source>No, Thanks</source>
        <translation>Nein, danke</translation>
    </message>
</context>
<context>
    <name>RecItemView</name>
    <message>
        <source>File missing</source>
        <translation>Datei fehlt</translation>
    </message>
</context>
<context>
    <name>RecNavigController</name>
    <message>
        <source>Position in which the recording was continued</source>
        <translation>Stelle, an der die Aufnahme fortgesetzt wurde</translation>
    </message>
</context>
<context>
    <name>RecNavigatorView</name>
    <message>
        <source>Time Marks</source>
        <translation>Zeitmarken</translation>
    </message>
</context>
<context>
    <name>RecOutlineView</name>
    <message>
        <source>Export marks...</source>
        <translation>Marken exportieren …</translation>
    </message>
    <message>
        <source>Recordings</source>
        <translation>Aufnahmen</translation>
    </message>
    <message>
        <source>Export...</source>
        <translation>Exportieren ...</translation>
    </message>
</context>
<context>
    <name>RecorderEngine</name>
    <message>
        <source>Can&apos;t change output format when recording has already started.</source>
        <translation>Das Ausgabeformat kann nicht geändert werden, während eine Aufnahme läuft.</translation>
    </message>
    <message>
        <source>Could not change the stream format of the output device</source>
        <translation>Das Datenformat des Geräts konnte nicht eingestellt werden</translation>
    </message>
    <message>
        <source>Could not determine audio sample size</source>
        <translation>Die Größe der Audio-Samples konnte nicht bestimmt werden</translation>
    </message>
    <message>
        <source>Could not allocate buffers for recording</source>
        <translation>Für die Aufnahme konnte kein Speicher bereitgestellt werden</translation>
    </message>
    <message>
        <source>Could not create the audio file</source>
        <translation>Die Audiodatei konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>Could not set up data format for output file</source>
        <translation>Das Datenformat der Ausgabedatei konnte nicht eingerichtet werden</translation>
    </message>
    <message>
        <source>Could not initialize asynchronous writing</source>
        <translation>Das Schreiben im Hintergrund konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>Could not start recording</source>
        <translation>Die Aufnahme konnte nicht gestartet werden</translation>
    </message>
    <message>
        <source>Could not stop recording</source>
        <translation>Die Aufnahme konnte nicht beendet werden</translation>
    </message>
    <message>
        <source>VoiceTray cannot reach the sound server (PipeWire or PulseAudio).</source>
        <translation>VoiceTray erreicht den Soundserver (PipeWire oder PulseAudio) nicht.</translation>
    </message>
    <message>
        <source>The input device &quot;%1&quot; is not connected.</source>
        <translation>Das Eingabegerät „%1“ ist nicht angeschlossen.</translation>
    </message>
    <message>
        <source>No microphone is connected.</source>
        <translation>Es ist kein Mikrofon angeschlossen.</translation>
    </message>
    <message>
        <source>No sound output is there whose sound could be recorded.</source>
        <translation>Es gibt keine Tonausgabe, deren Ton aufgenommen werden könnte.</translation>
    </message>
    <message>
        <source>The input device &quot;%1&quot; could not be opened.</source>
        <translation>Das Eingabegerät „%1“ konnte nicht geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>RecordingPlans</name>
    <message>
        <source>A planned recording needs a time and a length shorter than the time between its starts.</source>
        <translation>Eine geplante Aufnahme braucht eine Zeit und eine Länge, die kürzer ist als die Zeit zwischen ihren Starts.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; overlaps the planned recording &quot;%2&quot; (%3). Choose another time or length.</source>
        <translation>„%1&quot; überschneidet sich mit der geplanten Aufnahme „%2&quot; (%3). Wählen Sie eine andere Zeit oder Länge.</translation>
    </message>
    <message>
        <source>Next planned: &quot;%1&quot; at %2</source>
        <translation>Nächste geplante: „%1&quot; um %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; (%2)</source>
        <translation>„%1&quot; (%2)</translation>
    </message>
    <message>
        <source>These planned recordings were missed: the computer was off or asleep, VoiceTray did not run, or another recording ran at the time:
%1</source>
        <translation>Diese geplanten Aufnahmen wurden verpasst: Der Computer war aus oder im Ruhezustand, VoiceTray lief nicht, oder eine andere Aufnahme lief zu der Zeit:
%1</translation>
    </message>
    <message>
        <source>%1, %2</source>
        <translation>%1, %2</translation>
    </message>
    <message>
        <source>The time of &quot;%1&quot; has passed. Choose a time to come.</source>
        <translation>Die Zeit von „%1&quot; ist vorbei. Wählen Sie eine kommende Zeit.</translation>
    </message>
</context>
<context>
    <name>RecordingSession</name>
    <message>
        <source>Position in which the recording was continued</source>
        <translation>Stelle, an der die Aufnahme fortgesetzt wurde</translation>
    </message>
    <message>
        <source>The disk could not keep up: %1 seconds of the recording are missing.</source>
        <translation>Der Datenträger kam nicht mit: %1 Sekunden der Aufnahme fehlen.</translation>
    </message>
    <message>
        <source>%1 seconds of the recording could not be captured: the sound server delivered nothing for them.</source>
        <translation>%1 Sekunden der Aufnahme konnten nicht erfasst werden: Der Soundserver hat für sie nichts geliefert.</translation>
    </message>
    <message>
        <source>Unable to combine recordings</source>
        <translation>Die Aufnahmen können nicht zusammengefügt werden</translation>
    </message>
    <message>
        <source>The input device was disconnected. The recording was stopped and saved.</source>
        <translation>Das Eingabegerät wurde getrennt. Die Aufnahme wurde beendet und gespeichert.</translation>
    </message>
    <message>
        <source>The disk is full. The recording was stopped; %1 seconds of it were saved.</source>
        <translation>Der Datenträger ist voll. Die Aufnahme wurde beendet; %1 Sekunden davon wurden gespeichert.</translation>
    </message>
    <message>
        <source>Writing the recording failed. The recording was stopped; %1 seconds of it were saved.</source>
        <translation>Die Aufnahme konnte nicht geschrieben werden. Sie wurde beendet; %1 Sekunden davon wurden gespeichert.</translation>
    </message>
</context>
<context>
    <name>SliderWithNotes</name>
    <message>
        <source>Playback Position</source>
        <translation>Wiedergabeposition</translation>
    </message>
</context>
<context>
    <name>StopAfterMenu</name>
    <message>
        <source>Record and Stop After</source>
        <translation>Aufnehmen und stoppen nach</translation>
    </message>
    <message>
        <source>15 Minutes</source>
        <translation>15 Minuten</translation>
    </message>
    <message>
        <source>30 Minutes</source>
        <translation>30 Minuten</translation>
    </message>
    <message>
        <source>1 Hour</source>
        <translation>1 Stunde</translation>
    </message>
    <message>
        <source>2 Hours</source>
        <translation>2 Stunden</translation>
    </message>
    <message>
        <source>Custom...</source>
        <translation>Eigene Länge...</translation>
    </message>
    <message>
        <source>Length of the recording in minutes:</source>
        <translation>Länge der Aufnahme in Minuten:</translation>
    </message>
    <message>
        <source>Planned Recordings...</source>
        <translation>Geplante Aufnahmen...</translation>
    </message>
</context>
<context>
    <name>TimeView</name>
    <message>
        <source>Time</source>
        <translation>Zeit</translation>
    </message>
</context>
<context>
    <name>UndoBar</name>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
</context>
<context>
    <name>WindowController</name>
    <message>
        <source>Quit VoiceTray</source>
        <translation>VoiceTray beenden</translation>
    </message>
    <message>
        <source>Hide Recordings Editor</source>
        <translation>Aufnahmen-Editor ausblenden</translation>
    </message>
    <message>
        <source>Show Recordings Editor</source>
        <translation>Aufnahmen-Editor einblenden</translation>
    </message>
    <message>
        <source>Unable to play the recording</source>
        <translation>Die Aufnahme kann nicht abgespielt werden</translation>
    </message>
    <message>
        <source>Label file (*.txt)</source>
        <translation>Marken-Datei (*.txt)</translation>
    </message>
    <message>
        <source>CUE sheet (*.cue)</source>
        <translation>CUE-Datei (*.cue)</translation>
    </message>
    <message>
        <source>Export marks</source>
        <translation>Marken exportieren</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stopp</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Abspielen</translation>
    </message>
    <message>
        <source>Stop Recording (%1)</source>
        <translation>Aufnahme beenden (%1)</translation>
    </message>
    <message>
        <source>Start a New Recording (%1)</source>
        <translation>Neue Aufnahme beginnen (%1)</translation>
    </message>
    <message>
        <source>Continue Recording (%1)</source>
        <translation>Aufnahme fortsetzen (%1)</translation>
    </message>
    <message>
        <source>There was nothing to export.</source>
        <translation>Es gab nichts zu exportieren.</translation>
    </message>
    <message>
        <source>Export “%1”</source>
        <translation>„%1“ exportieren</translation>
    </message>
    <message>
        <source>The folder %1 cannot be made.</source>
        <translation>Der Ordner %1 kann nicht angelegt werden.</translation>
    </message>
    <message>
        <source>Exporting...</source>
        <translation>Exportieren ...</translation>
    </message>
    <message>
        <source>Not every copy could be written (%1 written).</source>
        <translation>Nicht jede Kopie konnte geschrieben werden (%1 geschrieben).</translation>
    </message>
    <message>
        <source>Export %1 chosen rows</source>
        <translation>%1 gewählte Zeilen exportieren</translation>
    </message>
</context>
</TS>
