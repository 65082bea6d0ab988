// Row filter of Talvik's HTML log.
//
// The log is a table (id "tablelog") with one row per line, whose class is
// the line's level (info, debug, trace, warning, error, critical, gui). The
// count table under it (id "logcount") links each level to
// showLevel('tablelog', level). Clicking a level shows that level's rows
// only; clicking the same level again, or the "ALL" link this script adds
// at the top of the count table, shows every row again.
(function () {
  'use strict';

  // Level shown alone, per log table (absent: all rows are shown).
  var shownLevel = {};

  // Marks the count-table link of the level shown alone.
  function markLinks(className) {
    var counts = document.getElementById('logcount');
    if (!counts) return;
    var links = counts.getElementsByTagName('a');
    for (var i = 0; i < links.length; i++) {
      var level = links[i].getAttribute('data-level');
      var selected = className ? level === className : level === '';
      links[i].classList.toggle('selected', selected);
    }
  }

  function filterRows(tableId, className) {
    var table = document.getElementById(tableId);
    if (!table) return;
    var rows = table.rows;
    for (var i = 0; i < rows.length; i++) {
      var visible = !className || rows[i].classList.contains(className);
      rows[i].style.display = visible ? '' : 'none';
    }
    shownLevel[tableId] = className || null;
    markLinks(className);
  }

  // Called by the count table's links. Returns false so that the browser
  // does not follow their href="#" and jump to the top of the page.
  window.showLevel = function (tableId, className) {
    filterRows(tableId, shownLevel[tableId] === className ? null : className);
    return false;
  };

  window.showAllLevels = function (tableId) {
    filterRows(tableId, null);
    return false;
  };

  // Tags the level links with their level and adds the "ALL" row, whose
  // count is the total of the level counts.
  function extendCountTable() {
    var counts = document.getElementById('logcount');
    if (!counts) return;
    var total = 0;
    var links = counts.getElementsByTagName('a');
    for (var i = 0; i < links.length; i++) {
      var call = /showLevel\('([^']*)',\s*'([^']*)'\)/.exec(links[i].getAttribute('onclick') || '');
      if (call) links[i].setAttribute('data-level', call[2]);
      var cell = links[i].parentNode.nextElementSibling;
      if (cell) total += parseInt(cell.textContent, 10) || 0;
    }
    var row = counts.insertRow(0);
    var head = document.createElement('th');
    var all = document.createElement('a');
    all.href = '#';
    all.id = 'showall';
    all.textContent = 'ALL';
    all.setAttribute('data-level', '');
    all.onclick = function () {
      return window.showAllLevels('tablelog');
    };
    head.appendChild(all);
    row.appendChild(head);
    var count = row.insertCell(1);
    count.textContent = String(total);
    markLinks(null);
  }

  if (document.readyState === 'loading') {
    document.addEventListener('DOMContentLoaded', extendCountTable);
  } else {
    extendCountTable();
  }
})();
