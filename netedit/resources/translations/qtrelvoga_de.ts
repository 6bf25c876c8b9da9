<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AuthDlga</name>
    <message>
        <source>Http authentication required</source>
        <translation>HTTP-Authentifizierung erforderlich</translation>
    </message>
    <message>
        <source>You need to supply a Username and a Password to access this site</source>
        <translation>Für den Zugriff auf diese Seite sind ein Benutzername und ein Passwort nötig</translation>
    </message>
    <message>
        <source>Site:</source>
        <translation>Seite:</translation>
    </message>
    <message>
        <source>%1 at %2</source>
        <translation>%1 auf %2</translation>
    </message>
    <message>
        <source>Username:</source>
        <translation>Benutzername:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Passwort:</translation>
    </message>
    <message>
        <source>keep for the session</source>
        <translation>für die Sitzung merken</translation>
    </message>
    <message>
        <source>keep in wallet</source>
        <translation>in der Brieftasche speichern</translation>
    </message>
</context>
<context>
    <name>DragDropMarker</name>
    <message>
        <source>Control marker</source>
        <translation>Steuermarke</translation>
    </message>
</context>
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
    <message>
        <source>Invalid lane %1 for edge %2</source>
        <translation>Ungültiger Fahrstreifen %1 für Kante %2</translation>
    </message>
    <message>
        <source>No items under polygon</source>
        <translation>Unter dem Polygon liegen keine Objekte</translation>
    </message>
    <message>
        <source>WKT WGS84</source>
        <translation>WKT WGS84</translation>
    </message>
    <message>
        <source>KML WGS84</source>
        <translation>KML WGS84</translation>
    </message>
    <message>
        <source>Unite nodes</source>
        <translation>Knoten vereinigen</translation>
    </message>
    <message>
        <source>Create signal group</source>
        <translation>Signalgruppe erstellen</translation>
    </message>
    <message>
        <source>Create granule</source>
        <translation>Granule erstellen</translation>
    </message>
    <message>
        <source>Show selected on tree</source>
        <translation>Auswahl im Objektbaum zeigen</translation>
    </message>
    <message>
        <source>Show selected on map</source>
        <translation>Auswahl auf der Karte zeigen</translation>
    </message>
    <message>
        <source>Expand all</source>
        <translation>Alle aufklappen</translation>
    </message>
    <message>
        <source>Collapse all</source>
        <translation>Alle zuklappen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Change geometry</source>
        <translation>Geometrie ändern</translation>
    </message>
    <message>
        <source>Insert junction</source>
        <translation>Knotenpunkt einfügen</translation>
    </message>
    <message>
        <source>Use as template</source>
        <translation>Als Vorlage verwenden</translation>
    </message>
    <message>
        <source>Copy skeleton to clipboard as ...</source>
        <translation>Achse in die Zwischenablage kopieren als ...</translation>
    </message>
    <message>
        <source>Copy carriageway skeleton to clipboard as ...</source>
        <translation>Fahrbahnachse in die Zwischenablage kopieren als ...</translation>
    </message>
    <message>
        <source>Remove from group</source>
        <translation>Aus der Gruppe entfernen</translation>
    </message>
    <message>
        <source>Add to group %1</source>
        <translation>Zur Gruppe %1 hinzufügen</translation>
    </message>
    <message>
        <source>Insert lane right from</source>
        <translation>Fahrstreifen rechts daneben einfügen</translation>
    </message>
    <message>
        <source>Insert lane left from</source>
        <translation>Fahrstreifen links daneben einfügen</translation>
    </message>
    <message>
        <source>Insert junction on edge</source>
        <translation>Knotenpunkt in Kante einfügen</translation>
    </message>
    <message>
        <source>Insert junction on group of edges</source>
        <translation>Knotenpunkt in Kantengruppe einfügen</translation>
    </message>
    <message>
        <source>skeleton WKT</source>
        <translation>Achse WKT</translation>
    </message>
    <message>
        <source>skeleton KML</source>
        <translation>Achse KML</translation>
    </message>
    <message>
        <source>skeleton WKT WGS84</source>
        <translation>Achse WKT WGS84</translation>
    </message>
    <message>
        <source>skeleton KML WGS84</source>
        <translation>Achse KML WGS84</translation>
    </message>
    <message>
        <source>full skeleton WKT</source>
        <translation>vollständige Achse WKT</translation>
    </message>
    <message>
        <source>full skeleton KML</source>
        <translation>vollständige Achse KML</translation>
    </message>
    <message>
        <source>full skeleton WKT WGS84</source>
        <translation>vollständige Achse WKT WGS84</translation>
    </message>
    <message>
        <source>full skeleton KML WGS84</source>
        <translation>vollständige Achse KML WGS84</translation>
    </message>
    <message>
        <source>Copy shape to clipboard as ...</source>
        <translation>Form in die Zwischenablage kopieren als ...</translation>
    </message>
    <message>
        <source>Use edge %1 as template</source>
        <translation>Kante %1 als Vorlage verwenden</translation>
    </message>
    <message>
        <source>Remove edge from group</source>
        <translation>Kante aus der Gruppe entfernen</translation>
    </message>
    <message>
        <source>Vehicle types</source>
        <translation>Fahrzeugtypen</translation>
    </message>
    <message>
        <source>Allow</source>
        <translation>Zulassen</translation>
    </message>
    <message>
        <source>Allow only</source>
        <translation>Nur zulassen</translation>
    </message>
    <message>
        <source>Disallow only</source>
        <translation>Nur sperren</translation>
    </message>
    <message>
        <source>Disallow all</source>
        <translation>Alle sperren</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Change signal group content</source>
        <translation>Inhalt der Signalgruppe ändern</translation>
    </message>
    <message>
        <source>Select signal group</source>
        <translation>Signalgruppe auswählen</translation>
    </message>
    <message>
        <source>Change content</source>
        <translation>Inhalt ändern</translation>
    </message>
    <message>
        <source>Save ...</source>
        <translation>Speichern ...</translation>
    </message>
    <message>
        <source>Create group</source>
        <translation>Gruppe erstellen</translation>
    </message>
    <message>
        <source>Copy position to clipboard as ...</source>
        <translation>Position in die Zwischenablage kopieren als ...</translation>
    </message>
    <message>
        <source>Save network part ...</source>
        <translation>Netzausschnitt speichern ...</translation>
    </message>
    <message>
        <source>Select items under polygon</source>
        <translation>Objekte unter dem Polygon auswählen</translation>
    </message>
    <message>
        <source>Delete items under polygon</source>
        <translation>Objekte unter dem Polygon löschen</translation>
    </message>
    <message>
        <source>Change shape geometry</source>
        <translation>Formgeometrie ändern</translation>
    </message>
    <message>
        <source>Recalculate</source>
        <translation>Neu berechnen</translation>
    </message>
    <message>
        <source>Copy to clipboard as ...</source>
        <translation>In die Zwischenablage kopieren als ...</translation>
    </message>
    <message>
        <source>WKT shape</source>
        <translation>WKT-Form</translation>
    </message>
    <message>
        <source>KML shape</source>
        <translation>KML-Form</translation>
    </message>
    <message>
        <source>WKT pos</source>
        <translation>WKT-Position</translation>
    </message>
    <message>
        <source>KML placemark</source>
        <translation>KML-Ortsmarke</translation>
    </message>
    <message>
        <source>WKT shape WGS84</source>
        <translation>WKT-Form WGS84</translation>
    </message>
    <message>
        <source>KML shape WGS84</source>
        <translation>KML-Form WGS84</translation>
    </message>
    <message>
        <source>WKT pos WGS84</source>
        <translation>WKT-Position WGS84</translation>
    </message>
    <message>
        <source>KML placemark WGS84</source>
        <translation>KML-Ortsmarke WGS84</translation>
    </message>
    <message>
        <source>Change matrix</source>
        <translation>Matrix ändern</translation>
    </message>
    <message>
        <source>Change traffic state</source>
        <translation>Verkehrszustand ändern</translation>
    </message>
    <message>
        <source>WKT line</source>
        <translation>WKT-Linie</translation>
    </message>
    <message>
        <source>KML line</source>
        <translation>KML-Linie</translation>
    </message>
    <message>
        <source>WKT line WGS84</source>
        <translation>WKT-Linie WGS84</translation>
    </message>
    <message>
        <source>KML line WGS84</source>
        <translation>KML-Linie WGS84</translation>
    </message>
    <message>
        <source>Create connections</source>
        <translation>Verbindungen erstellen</translation>
    </message>
    <message>
        <source>Select stoplines</source>
        <translation>Haltlinien auswählen</translation>
    </message>
    <message>
        <source>Select connections</source>
        <translation>Verbindungen auswählen</translation>
    </message>
    <message>
        <source>Adjust stoplines offset</source>
        <translation>Haltlinienabstand anpassen</translation>
    </message>
    <message>
        <source>Remove from granule</source>
        <translation>Aus der Granule entfernen</translation>
    </message>
    <message>
        <source>Copy granule to clipboard</source>
        <translation>Granule in die Zwischenablage kopieren</translation>
    </message>
    <message>
        <source>Remove with join</source>
        <translation>Entfernen und Straßen verbinden</translation>
    </message>
    <message>
        <source>Edit measurement data</source>
        <translation>Messdaten bearbeiten</translation>
    </message>
    <message>
        <source>TL %1</source>
        <translation>LSA %1</translation>
    </message>
    <message>
        <source>Add to granule %1</source>
        <translation>Zur Granule %1 hinzufügen</translation>
    </message>
    <message>
        <source>Select ...</source>
        <translation>Auswählen ...</translation>
    </message>
    <message>
        <source>Download area</source>
        <translation>Gebiet herunterladen</translation>
    </message>
    <message>
        <source>Download the network of an area from the database, replacing the network</source>
        <translation>Das Netz eines Gebiets aus der Datenbank herunterladen und das Netz dadurch ersetzen</translation>
    </message>
    <message>
        <source>Download area and join</source>
        <translation>Gebiet herunterladen und anfügen</translation>
    </message>
    <message>
        <source>Download the network of an area from the database and join it to the network</source>
        <translation>Das Netz eines Gebiets aus der Datenbank herunterladen und dem Netz anfügen</translation>
    </message>
    <message>
        <source>Download granule ...</source>
        <translation>Granule herunterladen ...</translation>
    </message>
    <message>
        <source>Upload network to database</source>
        <translation>Netz in die Datenbank hochladen</translation>
    </message>
    <message>
        <source>Download network from Vantal ...</source>
        <translation>Netz von Vantal herunterladen ...</translation>
    </message>
    <message>
        <source>Upload network to Vantal ...</source>
        <translation>Netz zu Vantal hochladen ...</translation>
    </message>
    <message>
        <source>Download granule</source>
        <translation>Granule herunterladen</translation>
    </message>
    <message>
        <source>Granule id:</source>
        <translation>Granule-ID:</translation>
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
    <name>Trelvoga::AddCompositeDetectorMode</name>
    <message>
        <source>Composite detector not made: the mode was left after its first group</source>
        <translation>Kein zusammengesetzter Detektor angelegt: der Modus wurde nach der ersten Gruppe verlassen</translation>
    </message>
    <message>
        <source>A composite detector joins two different groups: click the second group</source>
        <translation>Ein zusammengesetzter Detektor verbindet zwei verschiedene Gruppen: klicken Sie die zweite Gruppe an</translation>
    </message>
    <message>
        <source>Impossible movement from first getector group to this lane</source>
        <translation>Keine Fahrbeziehung von der ersten Detektorgruppe zu diesem Fahrstreifen möglich</translation>
    </message>
    <message>
        <source>Detector groups %1 and %2 already connected</source>
        <translation>Die Detektorgruppen %1 und %2 sind bereits verbunden</translation>
    </message>
    <message>
        <source>Detector groups %1 or %2 has no owned by edge</source>
        <translation>Die Detektorgruppe %1 oder %2 gehört zu keiner Kante</translation>
    </message>
    <message>
        <source>Invalid direction for composite detector</source>
        <translation>Ungültige Richtung für den zusammengesetzten Detektor</translation>
    </message>
    <message>
        <source>Click the detector group where the section starts (or a lane to make one)</source>
        <translation>Klicken Sie die Detektorgruppe am Anfang des Abschnitts an (oder einen Fahrstreifen, um eine anzulegen)</translation>
    </message>
    <message>
        <source>Click the detector group where the section ends (or a lane to make one; Escape cancels)</source>
        <translation>Klicken Sie die Detektorgruppe am Ende des Abschnitts an (oder einen Fahrstreifen, um eine anzulegen; Esc bricht ab)</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddCrosswalkMode</name>
    <message>
        <source>Crosswalk not made: the mode was left after its first lane</source>
        <translation>Kein Fußgängerüberweg angelegt: der Modus wurde nach dem ersten Fahrstreifen verlassen</translation>
    </message>
    <message>
        <source>Can&apos;t find junction for given lanes</source>
        <translation>Für diese Fahrstreifen wurde kein Knoten gefunden</translation>
    </message>
    <message>
        <source>Click the lane where the crosswalk starts</source>
        <translation>Klicken Sie den Fahrstreifen an, an dem der Überweg beginnt</translation>
    </message>
    <message>
        <source>Click the lane where the crosswalk ends (Escape cancels)</source>
        <translation>Klicken Sie den Fahrstreifen an, an dem der Überweg endet (Esc bricht ab)</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddDetectorMode</name>
    <message>
        <source>A detector is placed on a lane, a connection or a route: click one</source>
        <translation>Ein Detektor liegt auf einem Fahrstreifen, einer Verbindung oder einer Route: klicken Sie eines davon an</translation>
    </message>
    <message>
        <source>Detector for the group must be owned by Lane</source>
        <translation>Ein Detektor der Gruppe muss auf einem Fahrstreifen liegen</translation>
    </message>
    <message>
        <source>You can not add detector from different edge to group</source>
        <translation>Ein Detektor einer anderen Kante kann nicht in die Gruppe aufgenommen werden</translation>
    </message>
    <message>
        <source>Click a lane, a connection or a route to place a detector</source>
        <translation>Klicken Sie einen Fahrstreifen, eine Verbindung oder eine Route an, um einen Detektor zu setzen</translation>
    </message>
    <message>
        <source>Click to place another detector; Ctrl+click a lane of the same edge to add it to the group</source>
        <translation>Klicken Sie, um einen weiteren Detektor zu setzen; Strg+Klick auf einen Fahrstreifen derselben Kante nimmt ihn in die Gruppe auf</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddEdgeGroupMode</name>
    <message>
        <source>Click the first node of the two-way road</source>
        <translation>Klicken Sie den ersten Knoten der Straße in beiden Richtungen an</translation>
    </message>
    <message>
        <source>Click the next node of the two-way road (Escape ends)</source>
        <translation>Klicken Sie den nächsten Knoten der Straße in beiden Richtungen an (Esc beendet)</translation>
    </message>
    <message>
        <source>Road not drawn: the mode was left after its first node</source>
        <translation>Keine Straße gezeichnet: der Modus wurde nach dem ersten Knoten verlassen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddEdgeMode</name>
    <message>
        <source>Click the first node of the edge</source>
        <translation>Klicken Sie den ersten Knoten der Kante an</translation>
    </message>
    <message>
        <source>Click the second node of the edge (Escape ends)</source>
        <translation>Klicken Sie den zweiten Knoten der Kante an (Esc beendet)</translation>
    </message>
    <message>
        <source>Edge not drawn: the mode was left after its first node</source>
        <translation>Keine Kante gezeichnet: der Modus wurde nach dem ersten Knoten verlassen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddEmergencyDetectorMode</name>
    <message>
        <source>Click the junction the emergency detector belongs to</source>
        <translation>Klicken Sie den Knoten an, zu dem der Einsatzfahrzeug-Detektor gehört</translation>
    </message>
    <message>
        <source>Click where the emergency detector is placed (Escape cancels)</source>
        <translation>Klicken Sie dort, wo der Einsatzfahrzeug-Detektor liegen soll (Esc bricht ab)</translation>
    </message>
    <message>
        <source>Emergency detector not placed: the mode was left after picking its junction</source>
        <translation>Kein Einsatzfahrzeug-Detektor gesetzt: der Modus wurde nach der Wahl des Knotens verlassen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddJunctionMode</name>
    <message>
        <source>Click to place a junction</source>
        <translation>Klicken Sie, um einen Knotenpunkt zu setzen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddNodeMode</name>
    <message>
        <source>Click to place a node</source>
        <translation>Klicken Sie, um einen Knoten zu setzen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddPointObjectMode</name>
    <message>
        <source>Click to place a point object</source>
        <translation>Klicken Sie, um ein Punktobjekt zu setzen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddPolygonMode</name>
    <message>
        <source>Click the first vertex of the polygon</source>
        <translation>Klicken Sie den ersten Eckpunkt des Polygons</translation>
    </message>
    <message>
        <source>Click the next vertex; Ctrl+click inserts one, Escape finishes the polygon</source>
        <translation>Klicken Sie den nächsten Eckpunkt; Strg+Klick fügt einen ein, Esc schließt das Polygon ab</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddPtStopMode</name>
    <message>
        <source>A public-transport stop is placed on a lane: click a lane</source>
        <translation>Eine ÖV-Haltestelle liegt an einem Fahrstreifen: klicken Sie einen Fahrstreifen an</translation>
    </message>
    <message>
        <source>Click a lane to place a public-transport stop beside it</source>
        <translation>Klicken Sie einen Fahrstreifen an, um daneben eine ÖV-Haltestelle zu setzen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddRouteMode</name>
    <message>
        <source>Click a lane to start the route on its edge</source>
        <translation>Klicken Sie einen Fahrstreifen an, um die Route auf seiner Kante zu beginnen</translation>
    </message>
    <message>
        <source>Click a lane to add its edge to the route; click beside the lanes to finish (Backspace takes the last edge back)</source>
        <translation>Klicken Sie einen Fahrstreifen an, um seine Kante an die Route anzuhängen; ein Klick neben die Fahrstreifen beendet sie (Rücktaste nimmt die letzte Kante zurück)</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddTazMode</name>
    <message>
        <source>Click to place a traffic assignment zone</source>
        <translation>Klicken Sie, um einen Verkehrsbezirk zu setzen</translation>
    </message>
    <message>
        <source>Click a lane to link the zone to its edge (elsewhere: finish the zone)</source>
        <translation>Klicken Sie einen Fahrstreifen an, um den Bezirk an seine Kante anzubinden (anderswo: Bezirk abschließen)</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AddWalkingAreaMode</name>
    <message>
        <source>The walking area does not take this item: its items belong to one junction, each once</source>
        <translation>Der Gehbereich nimmt dieses Element nicht auf: ihre Elemente gehören zu einem Knoten, jedes nur einmal</translation>
    </message>
    <message>
        <source>Click a sidewalk end or a crosswalk to start a walking area</source>
        <translation>Klicken Sie ein Gehwegende oder einen Überweg an, um einen Gehbereich zu beginnen</translation>
    </message>
    <message>
        <source>Click the next sidewalk end or crosswalk of the walking area (elsewhere: finish it)</source>
        <translation>Klicken Sie das nächste Gehwegende oder den nächsten Überweg des Gehbereichs an (anderswo: abschließen)</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AdjustStoplinesOffset</name>
    <message>
        <source>Adjust stoplines offset for node &apos;%1&apos;</source>
        <translation>Haltlinienabstand für Knoten &apos;%1&apos; anpassen</translation>
    </message>
    <message>
        <source>Adjust stoplines offset for %1 nodes</source>
        <translation>Haltlinienabstand für %1 Knoten anpassen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::AreaSelectionMode</name>
    <message>
        <source>Click the first corner of the area to download</source>
        <translation>Klicken Sie die erste Ecke des herunterzuladenden Gebiets an</translation>
    </message>
    <message>
        <source>Click the opposite corner of the area to download (Escape cancels)</source>
        <translation>Klicken Sie die gegenüberliegende Ecke des Gebiets an (Esc bricht ab)</translation>
    </message>
</context>
<context>
    <name>Trelvoga::ColorSettingsDlga</name>
    <message>
        <source>Nodes</source>
        <translation>Knoten</translation>
    </message>
    <message>
        <source>Selected nodes</source>
        <translation>Ausgewählte Knoten</translation>
    </message>
    <message>
        <source>Junction shapes</source>
        <translation>Kreuzungsformen</translation>
    </message>
    <message>
        <source>Selected junction shapes</source>
        <translation>Ausgewählte Kreuzungsformen</translation>
    </message>
    <message>
        <source>Roads</source>
        <translation>Straßen</translation>
    </message>
    <message>
        <source>Sidewalks</source>
        <translation>Gehwege</translation>
    </message>
    <message>
        <source>Skeleton markers</source>
        <translation>Achsen-Ziehpunkte</translation>
    </message>
    <message>
        <source>Crosswalk</source>
        <translation>Fußgängerüberweg</translation>
    </message>
    <message>
        <source>Edge markers</source>
        <translation>Kanten-Ziehpunkte</translation>
    </message>
    <message>
        <source>Detectors</source>
        <translation>Detektoren</translation>
    </message>
    <message>
        <source>Selected detectors</source>
        <translation>Ausgewählte Detektoren</translation>
    </message>
    <message>
        <source>Emergency call detectors</source>
        <translation>Einsatzfahrzeug-Detektoren</translation>
    </message>
    <message>
        <source>Selected emergency call detectors</source>
        <translation>Ausgewählte Einsatzfahrzeug-Detektoren</translation>
    </message>
    <message>
        <source>Color settings</source>
        <translation>Farbeinstellungen</translation>
    </message>
    <message>
        <source>Select color</source>
        <translation>Farbe auswählen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::InsertJunctionCommand</name>
    <message>
        <source>Insert junction on edge</source>
        <translation>Knotenpunkt in Kante einfügen</translation>
    </message>
    <message>
        <source>Insert junction on group of edges</source>
        <translation>Knotenpunkt in Kantengruppe einfügen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::IntensityDlga</name>
    <message>
        <source>Measurement data: %1</source>
        <translation>Messdaten: %1</translation>
    </message>
    <message>
        <source>Group name:</source>
        <translation>Gruppenname:</translation>
    </message>
    <message>
        <source>New group</source>
        <translation>Neue Gruppe</translation>
    </message>
    <message>
        <source>Begin:</source>
        <translation>Beginn:</translation>
    </message>
    <message>
        <source>Duration, minutes:</source>
        <translation>Dauer, Minuten:</translation>
    </message>
    <message>
        <source>Add new</source>
        <translation>Neu hinzufügen</translation>
    </message>
    <message>
        <source>This action will remove all of the data for the group in the other objects.
Delete group of days &apos;%1&apos;?</source>
        <translation>Dabei werden alle Daten dieser Gruppe auch in den anderen Objekten entfernt.
Tagesgruppe &apos;%1&apos; löschen?</translation>
    </message>
    <message>
        <source>Group remove</source>
        <translation>Gruppe entfernen</translation>
    </message>
    <message>
        <source>Data remove</source>
        <translation>Daten entfernen</translation>
    </message>
    <message>
        <source>Delete current intensity data?</source>
        <translation>Aktuelle Verkehrsstärkedaten löschen?</translation>
    </message>
</context>
<context>
    <name>Trelvoga::JoinNodesCommand</name>
    <message>
        <source>Join nodes</source>
        <translation>Knoten zusammenfassen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::JoinNodesMode</name>
    <message>
        <source>A node is not joined to itself: click another node</source>
        <translation>Ein Knoten wird nicht mit sich selbst zusammengefasst: klicken Sie einen anderen Knoten an</translation>
    </message>
    <message>
        <source>Click the node whose road is to be continued</source>
        <translation>Klicken Sie den Knoten an, dessen Straße fortgesetzt werden soll</translation>
    </message>
    <message>
        <source>Click the node to join it to (Escape cancels)</source>
        <translation>Klicken Sie den Knoten an, mit dem er zusammengefasst wird (Esc bricht ab)</translation>
    </message>
    <message>
        <source>Nodes not joined: the mode was left after the first node</source>
        <translation>Keine Knoten zusammengefasst: der Modus wurde nach dem ersten Knoten verlassen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::LanesConnectionMode</name>
    <message>
        <source>Connection not made: the mode was left after its first lane</source>
        <translation>Keine Verbindung angelegt: der Modus wurde nach dem ersten Fahrstreifen verlassen</translation>
    </message>
    <message>
        <source>The lane does not end at a junction: a connection starts at a lane&apos;s stopline</source>
        <translation>Der Fahrstreifen endet an keinem Knotenpunkt: eine Verbindung beginnt an der Haltlinie eines Fahrstreifens</translation>
    </message>
    <message>
        <source>A connection joins lanes of two different edges: click a lane leaving the junction</source>
        <translation>Eine Verbindung führt zwischen Fahrstreifen zweier Kanten: klicken Sie einen Fahrstreifen an, der den Knotenpunkt verlässt</translation>
    </message>
    <message>
        <source>The lane does not start at a junction: click a lane leaving the junction</source>
        <translation>Der Fahrstreifen beginnt an keinem Knotenpunkt: klicken Sie einen Fahrstreifen an, der den Knotenpunkt verlässt</translation>
    </message>
    <message>
        <source>The lanes do not meet at one junction: click a lane leaving the junction the first lane ends at</source>
        <translation>Die Fahrstreifen treffen sich an keinem Knotenpunkt: klicken Sie einen Fahrstreifen an, der den Knotenpunkt am Ende des ersten verlässt</translation>
    </message>
    <message>
        <source>The model refused a connection between these lanes</source>
        <translation>Das Modell lehnt eine Verbindung zwischen diesen Fahrstreifen ab</translation>
    </message>
    <message>
        <source>Click the lane the connection comes from</source>
        <translation>Klicken Sie den Fahrstreifen an, von dem die Verbindung ausgeht</translation>
    </message>
    <message>
        <source>Click the lane the connection goes to (Escape cancels)</source>
        <translation>Klicken Sie den Fahrstreifen an, zu dem die Verbindung führt (Esc bricht ab)</translation>
    </message>
</context>
<context>
    <name>Trelvoga::MakeConnectionsCommand</name>
    <message>
        <source>Make connections</source>
        <translation>Verbindungen erzeugen</translation>
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
    <message>
        <source>The downloaded network could not be stored</source>
        <translation>Das heruntergeladene Netz konnte nicht gespeichert werden</translation>
    </message>
    <message>
        <source>Node %1 already in another granule %2</source>
        <translation>Knoten %1 gehört bereits zu einer anderen Granule %2</translation>
    </message>
    <message>
        <source>TL number:</source>
        <translation>LSA-Nummer:</translation>
    </message>
    <message>
        <source>%1(number in TL=%2)</source>
        <translation>%1(Nummer in LSA=%2)</translation>
    </message>
    <message>
        <source>You cannot create signal group for different granules</source>
        <translation>Eine Signalgruppe kann nicht über verschiedene Granulen hinweg erstellt werden</translation>
    </message>
    <message>
        <source>Number in TL:</source>
        <translation>Nummer in der LSA:</translation>
    </message>
    <message>
        <source>Select signal group to edit:</source>
        <translation>Zu bearbeitende Signalgruppe auswählen:</translation>
    </message>
    <message>
        <source>Signal group to select:</source>
        <translation>Auszuwählende Signalgruppe:</translation>
    </message>
    <message>
        <source>Address of server for exchange with database is not set. Do you want to define it now?</source>
        <translation>Die Adresse des Servers für den Austausch mit der Datenbank ist nicht festgelegt. Möchten Sie sie jetzt festlegen?</translation>
    </message>
    <message>
        <source>URL:</source>
        <translation>URL:</translation>
    </message>
    <message>
        <source>JSON parse error at offset %1: %2</source>
        <translation>JSON-Lesefehler an Position %1: %2</translation>
    </message>
    <message>
        <source>Download network</source>
        <translation>Netz herunterladen</translation>
    </message>
    <message>
        <source>download address:</source>
        <translation>Download-Adresse:</translation>
    </message>
    <message>
        <source>Upload network</source>
        <translation>Netz hochladen</translation>
    </message>
    <message>
        <source>upload address:</source>
        <translation>Upload-Adresse:</translation>
    </message>
    <message>
        <source>Update panorama</source>
        <translation>Panorama aktualisieren</translation>
    </message>
    <message>
        <source>Show panorama</source>
        <translation>Panorama anzeigen</translation>
    </message>
    <message>
        <source>Failed to open internal resource street_view.html: </source>
        <translation>Interne Ressource street_view.html konnte nicht geöffnet werden: </translation>
    </message>
    <message>
        <source>Googl panorama</source>
        <translation>Googl-Panorama</translation>
    </message>
    <message>
        <source>API key:</source>
        <translation>API-Schlüssel:</translation>
    </message>
    <message>
        <source>Panorama</source>
        <translation>Panorama</translation>
    </message>
</context>
<context>
    <name>Trelvoga::NodeChainMode</name>
    <message>
        <source>Cancelled: nothing was made from the picked node</source>
        <translation>Abgebrochen: aus dem gewählten Knoten wurde nichts erzeugt</translation>
    </message>
</context>
<context>
    <name>Trelvoga::ODMatrixDlga</name>
    <message>
        <source>Demand matrix</source>
        <translation>Nachfragematrix</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Types of vehicle</source>
        <translation>Fahrzeugtypen</translation>
    </message>
    <message>
        <source>Selection mode</source>
        <translation>Auswahlmodus</translation>
    </message>
    <message>
        <source>origin</source>
        <translation>Quelle</translation>
    </message>
    <message>
        <source>destination</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>Show on screen</source>
        <translation>Auf dem Bildschirm zeigen</translation>
    </message>
    <message>
        <source>Calculate from measurement data</source>
        <translation>Aus Messdaten berechnen</translation>
    </message>
    <message>
        <source>Group of days:</source>
        <translation>Tagesgruppe:</translation>
    </message>
    <message>
        <source>For time:</source>
        <translation>Für Uhrzeit:</translation>
    </message>
    <message>
        <source>Calculate</source>
        <translation>Berechnen</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>You must specify matrix name</source>
        <translation>Sie müssen einen Namen für die Matrix angeben</translation>
    </message>
</context>
<context>
    <name>Trelvoga::ParametersTable</name>
    <message>
        <source>Copy</source>
        <translation>Kopieren</translation>
    </message>
    <message>
        <source>Copy with titles</source>
        <translation>Mit Spaltenüberschriften kopieren</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>Einfügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::PastePlacementMode</name>
    <message>
        <source>Click where the pasted part goes (its top-left corner)</source>
        <translation>Klicken Sie dort, wo der eingefügte Teil liegen soll (seine linke obere Ecke)</translation>
    </message>
</context>
<context>
    <name>Trelvoga::RemoveJuncWithJoinCommand</name>
    <message>
        <source>Remove junction %1 with join</source>
        <translation>Knotenpunkt %1 entfernen und Straßen verbinden</translation>
    </message>
    <message>
        <source>Remove %1 junctions with join</source>
        <translation>%1 Knotenpunkte entfernen und Straßen verbinden</translation>
    </message>
</context>
<context>
    <name>Trelvoga::RoadMode</name>
    <message>
        <source>A road needs two different nodes: click another node</source>
        <translation>Eine Straße braucht zwei verschiedene Knoten: klicken Sie einen anderen Knoten an</translation>
    </message>
</context>
<context>
    <name>Trelvoga::SUMOExportDlga</name>
    <message>
        <source>Select color</source>
        <translation>Farbe auswählen</translation>
    </message>
    <message>
        <source>Export to SUMO</source>
        <translation>Export nach SUMO</translation>
    </message>
    <message>
        <source>Directory for export:</source>
        <translation>Exportverzeichnis:</translation>
    </message>
    <message>
        <source>Source format</source>
        <translation>Quellformat</translation>
    </message>
    <message>
        <source>Native format</source>
        <translation>Natives Format</translation>
    </message>
    <message>
        <source>Use double processing for source format</source>
        <translation>Doppelte Verarbeitung für das Quellformat verwenden</translation>
    </message>
    <message>
        <source>Use demand matricies</source>
        <translation>Nachfragematrizen verwenden</translation>
    </message>
    <message>
        <source>Create Multidetector</source>
        <translation>Multidetektor erstellen</translation>
    </message>
    <message>
        <source>Use measurement data</source>
        <translation>Messdaten verwenden</translation>
    </message>
    <message>
        <source>SUMO executable</source>
        <translation>SUMO-Programm</translation>
    </message>
    <message>
        <source>Traffic vantal</source>
        <translation>Traffic vantal</translation>
    </message>
    <message>
        <source>Vehicle autoassignment</source>
        <translation>Automatische Fahrzeugzuweisung</translation>
    </message>
    <message>
        <source>Root directory:</source>
        <translation>Stammverzeichnis:</translation>
    </message>
    <message>
        <source>Start SUMO after export</source>
        <translation>SUMO nach dem Export starten</translation>
    </message>
    <message>
        <source>Use sumoqlindar</source>
        <translation>sumoqlindar verwenden</translation>
    </message>
    <message>
        <source>Experiment start time:</source>
        <translation>Startzeit des Experiments:</translation>
    </message>
    <message>
        <source>Simulation delay, ms:</source>
        <translation>Simulationsverzögerung, ms:</translation>
    </message>
    <message>
        <source>Scheme name:</source>
        <translation>Name des Darstellungsschemas:</translation>
    </message>
    <message>
        <source>Route files:</source>
        <translation>Routendateien:</translation>
    </message>
    <message>
        <source>Additional files:</source>
        <translation>Zusatzdateien:</translation>
    </message>
    <message>
        <source>Additional command line string:</source>
        <translation>Zusätzliche Kommandozeilenparameter:</translation>
    </message>
    <message>
        <source>TL configuration directory:</source>
        <translation>Verzeichnis der LSA-Konfiguration:</translation>
    </message>
    <message>
        <source>TL list:</source>
        <translation>LSA-Liste:</translation>
    </message>
    <message>
        <source>Start with experiment</source>
        <translation>Mit dem Experiment starten</translation>
    </message>
    <message>
        <source>executable:</source>
        <translation>Programmdatei:</translation>
    </message>
    <message>
        <source>RPC host:</source>
        <translation>RPC-Host:</translation>
    </message>
    <message>
        <source>RPC port:</source>
        <translation>RPC-Port:</translation>
    </message>
    <message>
        <source>RPC user:</source>
        <translation>RPC-Benutzer:</translation>
    </message>
    <message>
        <source>RPC password:</source>
        <translation>RPC-Passwort:</translation>
    </message>
    <message>
        <source>WIALON server:</source>
        <translation>WIALON-Server:</translation>
    </message>
    <message>
        <source>Position noise radius, m:</source>
        <translation>Radius des Positionsrauschens, m:</translation>
    </message>
    <message>
        <source>Vehicle name prefix:</source>
        <translation>Präfix der Fahrzeugnamen:</translation>
    </message>
    <message>
        <source>Send position period, msec:</source>
        <translation>Sendeintervall der Position, ms:</translation>
    </message>
    <message>
        <source>name template</source>
        <translation>Namensvorlage</translation>
    </message>
    <message>
        <source>route</source>
        <translation>Route</translation>
    </message>
    <message>
        <source>color</source>
        <translation>Farbe</translation>
    </message>
    <message>
        <source>weight</source>
        <translation>Gewichtung</translation>
    </message>
    <message>
        <source>add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Field must be non empty</source>
        <translation>Das Feld darf nicht leer sein</translation>
    </message>
    <message>
        <source>This directory not exist</source>
        <translation>Dieses Verzeichnis existiert nicht</translation>
    </message>
    <message>
        <source>Root directory not contain %1 file</source>
        <translation>Das Stammverzeichnis enthält keine Datei %1</translation>
    </message>
    <message>
        <source>Select directory</source>
        <translation>Verzeichnis auswählen</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
    <message>
        <source>sumoqlindar not found in system paths nor application directory</source>
        <translation>sumoqlindar wurde weder in den Systempfaden noch im Programmverzeichnis gefunden</translation>
    </message>
    <message>
        <source>In export directory exists experiment data. Load it?</source>
        <translation>Im Exportverzeichnis liegen bereits Experimentdaten. Sollen sie geladen werden?</translation>
    </message>
    <message>
        <source>Select vantal executable</source>
        <translation>Programmdatei von vantal auswählen</translation>
    </message>
    <message>
        <source>Error create export directory</source>
        <translation>Fehler beim Anlegen des Exportverzeichnisses</translation>
    </message>
    <message>
        <source>No network to export</source>
        <translation>Kein Netz zum Exportieren vorhanden</translation>
    </message>
    <message>
        <source>od2trips errors</source>
        <translation>od2trips-Fehler</translation>
    </message>
    <message>
        <source>netconvert errors</source>
        <translation>netconvert-Fehler</translation>
    </message>
    <message>
        <source>Not finished within %1 s</source>
        <translation>Nicht innerhalb von %1 s abgeschlossen</translation>
    </message>
</context>
<context>
    <name>Trelvoga::SignalGroupContenta</name>
    <message>
        <source>Object list:</source>
        <translation>Objektliste:</translation>
    </message>
    <message>
        <source>Content of signal group %1</source>
        <translation>Inhalt der Signalgruppe %1</translation>
    </message>
    <message>
        <source>Connection</source>
        <translation>Verbindung</translation>
    </message>
    <message>
        <source>CrossWalk</source>
        <translation>Fußgängerüberweg</translation>
    </message>
</context>
<context>
    <name>Trelvoga::TrafficStateDlga</name>
    <message>
        <source>Traffic state data</source>
        <translation>Daten des Verkehrszustands</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Vehicle type:</source>
        <translation>Fahrzeugtyp:</translation>
    </message>
    <message>
        <source>Time:</source>
        <translation>Uhrzeit:</translation>
    </message>
    <message>
        <source>Duration, sec:</source>
        <translation>Dauer, s:</translation>
    </message>
    <message>
        <source>Lock zoom:</source>
        <translation>Zoom festhalten:</translation>
    </message>
    <message>
        <source>Current map zoom:</source>
        <translation>Aktueller Kartenzoom:</translation>
    </message>
    <message>
        <source>Default turning percentage</source>
        <translation>Standard-Abbiegeanteile</translation>
    </message>
    <message>
        <source>turnaround:</source>
        <translation>Wenden:</translation>
    </message>
    <message>
        <source>left:</source>
        <translation>links:</translation>
    </message>
    <message>
        <source>straight:</source>
        <translation>geradeaus:</translation>
    </message>
    <message>
        <source>right:</source>
        <translation>rechts:</translation>
    </message>
    <message>
        <source>Fix values</source>
        <translation>Summe halten</translation>
    </message>
    <message>
        <source>Junction</source>
        <translation>Knotenpunkt</translation>
    </message>
    <message>
        <source>Maneuver</source>
        <translation>Fahrbeziehung</translation>
    </message>
    <message>
        <source>Turning pecentage</source>
        <translation>Abbiegeanteil, %</translation>
    </message>
    <message>
        <source>Turning percentage</source>
        <translation>Abbiegeanteile</translation>
    </message>
    <message>
        <source>TAZ</source>
        <translation>Verkehrszelle</translation>
    </message>
    <message>
        <source>flow, veh/h</source>
        <translation>Zufluss, Fz/h</translation>
    </message>
    <message>
        <source>Input flows</source>
        <translation>Zuflüsse</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>You must specify traffic state name</source>
        <translation>Sie müssen einen Namen für den Verkehrszustand angeben</translation>
    </message>
</context>
<context>
    <name>Trelvoga::TrelvoHttpClient</name>
    <message>
        <source>Downloading network</source>
        <translation>Netz wird heruntergeladen</translation>
    </message>
    <message>
        <source>Downloading ...</source>
        <translation>Herunterladen ...</translation>
    </message>
    <message>
        <source>Uploading network</source>
        <translation>Netz wird hochgeladen</translation>
    </message>
    <message>
        <source>Uploading ...</source>
        <translation>Hochladen ...</translation>
    </message>
    <message>
        <source>Download failed: %1.</source>
        <translation>Herunterladen fehlgeschlagen: %1.</translation>
    </message>
    <message>
        <source>Redirection not supported</source>
        <translation>Umleitungen werden nicht unterstützt</translation>
    </message>
    <message>
        <source>One or more SSL errors has occurred:
%1</source>
        <translation>Ein oder mehrere SSL-Fehler sind aufgetreten:
%1</translation>
    </message>
    <message>
        <source>Save certificate as trusted</source>
        <translation>Zertifikat als vertrauenswürdig speichern</translation>
    </message>
</context>
<context>
    <name>Trelvoga::UniteNodesCommand</name>
    <message>
        <source>Unite %1 nodes</source>
        <translation>%1 Knoten vereinigen</translation>
    </message>
</context>
</TS>
