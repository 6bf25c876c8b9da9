<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>NetEdit</name>
    <message>
        <source>Add nodes mode</source>
        <translation>Knoten hinzufügen</translation>
    </message>
    <message>
        <source>Add point object mode</source>
        <translation>Punktobjekte hinzufügen</translation>
    </message>
    <message>
        <source>Add edges mode</source>
        <translation>Kanten hinzufügen</translation>
    </message>
    <message>
        <source>Add edge groups mode</source>
        <translation>Kantengruppen hinzufügen</translation>
    </message>
    <message>
        <source>Add junctions mode</source>
        <translation>Knotenpunkte hinzufügen</translation>
    </message>
    <message>
        <source>Lanes connection mode</source>
        <translation>Fahrstreifen verbinden</translation>
    </message>
    <message>
        <source>Add detectors mode</source>
        <translation>Detektoren hinzufügen</translation>
    </message>
    <message>
        <source>Add emergency detectors mode</source>
        <translation>Einsatzfahrzeug-Detektoren hinzufügen</translation>
    </message>
    <message>
        <source>Add composite detectors mode</source>
        <translation>Zusammengesetzte Detektoren hinzufügen</translation>
    </message>
    <message>
        <source>Join nodes mode</source>
        <translation>Knoten zusammenfassen</translation>
    </message>
    <message>
        <source>Add crosswalk mode</source>
        <translation>Fußgängerüberweg hinzufügen</translation>
    </message>
    <message>
        <source>Add walking area mode</source>
        <translation>Gehbereich hinzufügen</translation>
    </message>
    <message>
        <source>Add route mode</source>
        <translation>Route hinzufügen</translation>
    </message>
    <message>
        <source>Add polygon mode</source>
        <translation>Polygon hinzufügen</translation>
    </message>
    <message>
        <source>Add PT stop mode</source>
        <translation>ÖV-Haltestelle hinzufügen</translation>
    </message>
    <message>
        <source>Add traffic assignment zone mode</source>
        <translation>Verkehrsbezirk hinzufügen</translation>
    </message>
    <message>
        <source>Select edge</source>
        <translation>Kante auswählen</translation>
    </message>
    <message>
        <source>Select edge group</source>
        <translation>Kantengruppe auswählen</translation>
    </message>
    <message>
        <source>Edit connection</source>
        <translation>Verbindung bearbeiten</translation>
    </message>
    <message>
        <source>Edit crosswalk</source>
        <translation>Fußgängerüberweg bearbeiten</translation>
    </message>
    <message>
        <source>Edit walking area</source>
        <translation>Gehbereich bearbeiten</translation>
    </message>
    <message>
        <source>Edit TAZ</source>
        <translation>Verkehrsbezirk bearbeiten</translation>
    </message>
    <message>
        <source>Finish the route?</source>
        <translation>Route abschließen?</translation>
    </message>
    <message>
        <source>Geometries</source>
        <translation>Geometrieobjekte</translation>
    </message>
    <message>
        <source>EdgeGroups</source>
        <translation>Kantengruppen</translation>
    </message>
    <message>
        <source>Edges</source>
        <translation>Kanten</translation>
    </message>
    <message>
        <source>Lanes</source>
        <translation>Fahrstreifen</translation>
    </message>
    <message>
        <source>PtStops</source>
        <translation>ÖV-Haltestellen</translation>
    </message>
    <message>
        <source>Marking</source>
        <translation>Markierung</translation>
    </message>
    <message>
        <source>Nodes</source>
        <translation>Knoten</translation>
    </message>
    <message>
        <source>Connections</source>
        <translation>Verbindungen</translation>
    </message>
    <message>
        <source>Crosswalks</source>
        <translation>Fußgängerüberwege</translation>
    </message>
    <message>
        <source>Stoplines</source>
        <translation>Haltlinien</translation>
    </message>
    <message>
        <source>Routes</source>
        <translation>Routen</translation>
    </message>
    <message>
        <source>EmergencyDetectors</source>
        <translation>Einsatzfahrzeug-Detektoren</translation>
    </message>
    <message>
        <source>Detectors</source>
        <translation>Detektoren</translation>
    </message>
    <message>
        <source>DetectorGroups</source>
        <translation>Detektorgruppen</translation>
    </message>
    <message>
        <source>CompositeDetectors</source>
        <translation>Zusammengesetzte Detektoren</translation>
    </message>
    <message>
        <source>Tazs</source>
        <translation>Verkehrsbezirke</translation>
    </message>
    <message>
        <source>Markers</source>
        <translation>Ziehpunkte</translation>
    </message>
    <message>
        <source>Create demand matrix ...</source>
        <translation>Nachfragematrix erstellen ...</translation>
    </message>
    <message>
        <source>Wireframe</source>
        <translation>Drahtmodell</translation>
    </message>
    <message>
        <source>Create traffic state ...</source>
        <translation>Verkehrszustand erstellen ...</translation>
    </message>
    <message>
        <source>Full connections view</source>
        <translation>Alle Verbindungen anzeigen</translation>
    </message>
    <message>
        <source>Toggle full/simple connections view</source>
        <translation>Zwischen vollständiger und vereinfachter Verbindungsansicht umschalten</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Paste inplace</source>
        <translation>An gleicher Stelle einfügen</translation>
    </message>
    <message>
        <source>Show/Hide %1</source>
        <translation>%1 ein-/ausblenden</translation>
    </message>
    <message>
        <source>Object</source>
        <translation>Objekt</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Typ</translation>
    </message>
</context>
<context>
    <name>NetEditPrivate</name>
    <message>
        <source>Node</source>
        <translation>Knoten</translation>
    </message>
    <message>
        <source>Nodes</source>
        <translation>Knoten</translation>
    </message>
    <message>
        <source>Point object</source>
        <translation>Punktobjekt</translation>
    </message>
    <message>
        <source>Point objects</source>
        <translation>Punktobjekte</translation>
    </message>
    <message>
        <source>nodes</source>
        <translation>Knoten</translation>
    </message>
    <message>
        <source>edges</source>
        <translation>Kanten</translation>
    </message>
    <message>
        <source>lanes</source>
        <translation>Fahrstreifen</translation>
    </message>
    <message>
        <source>count of lanes</source>
        <translation>Anzahl der Fahrstreifen</translation>
    </message>
    <message>
        <source>Edge</source>
        <translation>Kante</translation>
    </message>
    <message>
        <source>Edges</source>
        <translation>Kanten</translation>
    </message>
    <message>
        <source>count of edges</source>
        <translation>Anzahl der Kanten</translation>
    </message>
    <message>
        <source>Edge group</source>
        <translation>Kantengruppe</translation>
    </message>
    <message>
        <source>Edge groups</source>
        <translation>Kantengruppen</translation>
    </message>
    <message>
        <source>Lane</source>
        <translation>Fahrstreifen</translation>
    </message>
    <message>
        <source>Lanes</source>
        <translation>Fahrstreifen</translation>
    </message>
    <message>
        <source>Stoplines</source>
        <translation>Haltlinien</translation>
    </message>
    <message>
        <source>Stopline</source>
        <translation>Haltlinie</translation>
    </message>
    <message>
        <source>stoplines</source>
        <translation>Haltlinien</translation>
    </message>
    <message>
        <source>Connection</source>
        <translation>Verbindung</translation>
    </message>
    <message>
        <source>Connections</source>
        <translation>Verbindungen</translation>
    </message>
    <message>
        <source>connections</source>
        <translation>Verbindungen</translation>
    </message>
    <message>
        <source>CrossWalk</source>
        <translation>Fußgängerüberweg</translation>
    </message>
    <message>
        <source>Crosswalks</source>
        <translation>Fußgängerüberwege</translation>
    </message>
    <message>
        <source>crosswalks</source>
        <translation>Fußgängerüberwege</translation>
    </message>
    <message>
        <source>Walking areas</source>
        <translation>Gehbereiche</translation>
    </message>
    <message>
        <source>walking areas</source>
        <translation>Gehbereiche</translation>
    </message>
    <message>
        <source>Walking area</source>
        <translation>Gehbereich</translation>
    </message>
    <message>
        <source>Signal group</source>
        <translation>Signalgruppe</translation>
    </message>
    <message>
        <source>Signal groups</source>
        <translation>Signalgruppen</translation>
    </message>
    <message>
        <source>Phase</source>
        <translation>Phase</translation>
    </message>
    <message>
        <source>Phases</source>
        <translation>Phasen</translation>
    </message>
    <message>
        <source>name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>forward</source>
        <translation>Hinrichtung</translation>
    </message>
    <message>
        <source>forwardLanes</source>
        <translation>Fahrstreifen Hinrichtung</translation>
    </message>
    <message>
        <source>backwardLanes</source>
        <translation>Fahrstreifen Rückrichtung</translation>
    </message>
    <message>
        <source>width</source>
        <translation>Breite</translation>
    </message>
    <message>
        <source>length</source>
        <translation>Länge</translation>
    </message>
    <message>
        <source>full length</source>
        <translation>Gesamtlänge</translation>
    </message>
    <message>
        <source>offset</source>
        <translation>Versatz</translation>
    </message>
    <message>
        <source>auto skeleton</source>
        <translation>automatische Achse</translation>
    </message>
    <message>
        <source>distance</source>
        <translation>Abstand</translation>
    </message>
    <message>
        <source>type</source>
        <translation>Typ</translation>
    </message>
    <message>
        <source>position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>auto distance</source>
        <translation>automatischer Abstand</translation>
    </message>
    <message>
        <source>signal group name</source>
        <translation>Name der Signalgruppe</translation>
    </message>
    <message>
        <source>string</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>list of strings</source>
        <translation>Textliste</translation>
    </message>
    <message>
        <source>floating</source>
        <translation>Gleitkommazahl</translation>
    </message>
    <message>
        <source>boolean</source>
        <translation>Wahrheitswert</translation>
    </message>
    <message>
        <source>integer</source>
        <translation>Ganzzahl</translation>
    </message>
    <message>
        <source>point</source>
        <translation>Punkt</translation>
    </message>
    <message>
        <source>no one</source>
        <translation>keine</translation>
    </message>
    <message>
        <source>private</source>
        <translation>Privatfahrzeug</translation>
    </message>
    <message>
        <source>emergency</source>
        <translation>Einsatzfahrzeug</translation>
    </message>
    <message>
        <source>passenger</source>
        <translation>Pkw</translation>
    </message>
    <message>
        <source>bus</source>
        <translation>Bus</translation>
    </message>
    <message>
        <source>truck</source>
        <translation>Lkw</translation>
    </message>
    <message>
        <source>tram</source>
        <translation>Straßenbahn</translation>
    </message>
    <message>
        <source>trolleybus</source>
        <translation>Oberleitungsbus</translation>
    </message>
    <message>
        <source>motorcycle</source>
        <translation>Motorrad</translation>
    </message>
    <message>
        <source>bicycle</source>
        <translation>Fahrrad</translation>
    </message>
    <message>
        <source>pedestrian</source>
        <translation>Fußgänger</translation>
    </message>
    <message>
        <source>all</source>
        <translation>alle</translation>
    </message>
    <message>
        <source>allowed vehicles</source>
        <translation>zugelassene Fahrzeuge</translation>
    </message>
    <message>
        <source>allowed</source>
        <translation>zugelassen</translation>
    </message>
    <message>
        <source>disallowed</source>
        <translation>gesperrt</translation>
    </message>
    <message>
        <source>vehicle classes</source>
        <translation>Fahrzeugklassen</translation>
    </message>
    <message>
        <source>vehicle class</source>
        <translation>Fahrzeugklasse</translation>
    </message>
    <message>
        <source>Route</source>
        <translation>Route</translation>
    </message>
    <message>
        <source>Routes</source>
        <translation>Routen</translation>
    </message>
    <message>
        <source>routes</source>
        <translation>Routen</translation>
    </message>
    <message>
        <source>middle vehicle length</source>
        <translation>mittlere Fahrzeuglänge</translation>
    </message>
    <message>
        <source>max deceleration</source>
        <translation>max. Verzögerung</translation>
    </message>
    <message>
        <source>Detector</source>
        <translation>Detektor</translation>
    </message>
    <message>
        <source>Detectors</source>
        <translation>Detektoren</translation>
    </message>
    <message>
        <source>detectors</source>
        <translation>Detektoren</translation>
    </message>
    <message>
        <source>Emergency call detector</source>
        <translation>Einsatzfahrzeug-Detektor</translation>
    </message>
    <message>
        <source>Emergency call detectors</source>
        <translation>Einsatzfahrzeug-Detektoren</translation>
    </message>
    <message>
        <source>Group of detector</source>
        <translation>Detektorgruppe</translation>
    </message>
    <message>
        <source>Groups of detector</source>
        <translation>Detektorgruppen</translation>
    </message>
    <message>
        <source>groups of detector</source>
        <translation>Detektorgruppen</translation>
    </message>
    <message>
        <source>Composite detector</source>
        <translation>Zusammengesetzter Detektor</translation>
    </message>
    <message>
        <source>Composite detectors</source>
        <translation>Zusammengesetzte Detektoren</translation>
    </message>
    <message>
        <source>composite detectors</source>
        <translation>zusammengesetzte Detektoren</translation>
    </message>
    <message>
        <source>emergency detectors</source>
        <translation>Einsatzfahrzeug-Detektoren</translation>
    </message>
    <message>
        <source>Marking</source>
        <translation>Markierung</translation>
    </message>
    <message>
        <source>marking lines</source>
        <translation>Markierungslinien</translation>
    </message>
    <message>
        <source>Markers</source>
        <translation>Ziehpunkte</translation>
    </message>
    <message>
        <source>markers</source>
        <translation>Ziehpunkte</translation>
    </message>
    <message>
        <source>Granule</source>
        <translation>Granule</translation>
    </message>
    <message>
        <source>granule</source>
        <translation>Granule</translation>
    </message>
    <message>
        <source>Granules</source>
        <translation>Granulen</translation>
    </message>
    <message>
        <source>auto shape</source>
        <translation>automatische Form</translation>
    </message>
    <message>
        <source>user data</source>
        <translation>Benutzerdaten</translation>
    </message>
    <message>
        <source>items</source>
        <translation>Elemente</translation>
    </message>
    <message>
        <source>List</source>
        <translation>Liste</translation>
    </message>
    <message>
        <source>Custom object</source>
        <translation>Benutzerobjekt</translation>
    </message>
    <message>
        <source>Custom objects</source>
        <translation>Benutzerobjekte</translation>
    </message>
    <message>
        <source>Geometry objects</source>
        <translation>Geometrieobjekte</translation>
    </message>
    <message>
        <source>geometry objects</source>
        <translation>Geometrieobjekte</translation>
    </message>
    <message>
        <source>Polygon</source>
        <translation>Polygon</translation>
    </message>
    <message>
        <source>Polygons</source>
        <translation>Polygone</translation>
    </message>
    <message>
        <source>color</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>lanes offset</source>
        <translation>Fahrstreifenversatz</translation>
    </message>
    <message>
        <source>Number in RC</source>
        <translation>Nummer im Steuergerät</translation>
    </message>
    <message>
        <source>TL number</source>
        <translation>LSA-Nummer</translation>
    </message>
    <message>
        <source>give way</source>
        <translation>Vorfahrt gewähren</translation>
    </message>
    <message>
        <source>Stop of PT</source>
        <translation>ÖV-Haltestelle</translation>
    </message>
    <message>
        <source>Stops of PT</source>
        <translation>ÖV-Haltestellen</translation>
    </message>
    <message>
        <source>Signal group number in RC</source>
        <translation>Signalgruppennummer im Steuergerät</translation>
    </message>
    <message>
        <source>Signal group numbers in RC</source>
        <translation>Signalgruppennummern im Steuergerät</translation>
    </message>
    <message>
        <source>Angle between lanes</source>
        <translation>Winkel zwischen den Fahrstreifen</translation>
    </message>
    <message>
        <source>Signal group name</source>
        <translation>Signalgruppenname</translation>
    </message>
    <message>
        <source>Signal group names</source>
        <translation>Signalgruppennamen</translation>
    </message>
    <message>
        <source>Starting offset</source>
        <translation>Versatz am Anfang</translation>
    </message>
    <message>
        <source>Ending offset</source>
        <translation>Versatz am Ende</translation>
    </message>
    <message>
        <source>number of rc</source>
        <translation>Nummer des Steuergeräts</translation>
    </message>
    <message>
        <source>phase</source>
        <translation>Phase</translation>
    </message>
    <message>
        <source>program</source>
        <translation>Signalprogramm</translation>
    </message>
    <message>
        <source>max. present time</source>
        <translation>max. Belegungszeit</translation>
    </message>
    <message>
        <source>max. unconnected time</source>
        <translation>max. Zeit ohne Verbindung</translation>
    </message>
    <message>
        <source>input direction for CROSS</source>
        <translation>Eingangsrichtung für CROSS</translation>
    </message>
    <message>
        <source>output direction for CROSS</source>
        <translation>Ausgangsrichtung für CROSS</translation>
    </message>
    <message>
        <source>radius</source>
        <translation>Radius</translation>
    </message>
    <message>
        <source>direction angle</source>
        <translation>Richtungswinkel</translation>
    </message>
    <message>
        <source>sweep angle</source>
        <translation>Öffnungswinkel</translation>
    </message>
    <message>
        <source>button 1</source>
        <translation>Taster 1</translation>
    </message>
    <message>
        <source>button 2</source>
        <translation>Taster 2</translation>
    </message>
    <message>
        <source>exclude from node shape</source>
        <translation>von der Knotenpunktfläche ausnehmen</translation>
    </message>
    <message>
        <source>types of vehicle</source>
        <translation>Fahrzeugtypen</translation>
    </message>
    <message>
        <source>Traffic assignment zone</source>
        <translation>Verkehrsbezirk</translation>
    </message>
    <message>
        <source>traffic assignment zone</source>
        <translation>Verkehrsbezirk</translation>
    </message>
    <message>
        <source>Traffic assignment zones</source>
        <translation>Verkehrsbezirke</translation>
    </message>
    <message>
        <source>traffic assignment zones</source>
        <translation>Verkehrsbezirke</translation>
    </message>
    <message>
        <source>Origin/destination matrix</source>
        <translation>Quelle-Ziel-Matrix</translation>
    </message>
    <message>
        <source>Origin/destination matrices</source>
        <translation>Quelle-Ziel-Matrizen</translation>
    </message>
    <message>
        <source>maximum speed</source>
        <translation>Höchstgeschwindigkeit</translation>
    </message>
    <message>
        <source>group</source>
        <translation>Gruppe</translation>
    </message>
    <message>
        <source>allow skeleton endpoints offset</source>
        <translation>Versatz der Achsenendpunkte erlauben</translation>
    </message>
    <message>
        <source>street name</source>
        <translation>Straßenname</translation>
    </message>
    <message>
        <source>Traffic state</source>
        <translation>Verkehrszustand</translation>
    </message>
    <message>
        <source>Traffic states</source>
        <translation>Verkehrszustände</translation>
    </message>
    <message>
        <source>slope</source>
        <translation>Längsneigung</translation>
    </message>
    <message>
        <source>valid</source>
        <translation>gültig</translation>
    </message>
    <message>
        <source>Split lane width</source>
        <translation>Fahrstreifenbreite aufteilen</translation>
    </message>
    <message>
        <source>edge groups</source>
        <translation>Kantengruppen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::NetEdit</name>
    <message>
        <source>Network items</source>
        <translation>Netzelemente</translation>
    </message>
    <message>
        <source>Network actions</source>
        <translation>Netzbearbeitung</translation>
    </message>
    <message>
        <source>Database actions</source>
        <translation>Datenbankaktionen</translation>
    </message>
    <message>
        <source>Show on map</source>
        <translation>Auf der Karte zeigen</translation>
    </message>
    <message>
        <source>Show on tree</source>
        <translation>Im Objektbaum zeigen</translation>
    </message>
</context>
</TS>
