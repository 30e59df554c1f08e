// Checks the rendered results page from inside the browser and puts the verdict in the
// title: "PAGE-CHECK OK", or "PAGE-CHECK FAIL: " and what is wrong. The query gives the
// number of logs (logs=N) and whether the logs carry markup (hostile=1).
(function () {
  var problems = [];
  var query = new URLSearchParams(location.search);
  var logs = Number(query.get('logs'));
  function shown(element) {
    var box = element.getBoundingClientRect();
    return box.width > 0 && box.height > 0;
  }
  var rows = document.querySelectorAll('table.results tbody tr');
  if (rows.length !== logs) problems.push('table rows ' + rows.length + ', logs ' + logs);
  document.querySelectorAll('table.results').forEach(function (table) {
    if (!shown(table)) problems.push('a table is not shown');
  });
  ['chart-hours', 'chart-scores', 'chart-verdicts'].forEach(function (id) {
    var chart = document.getElementById(id);
    if (!chart || !shown(chart)) return problems.push(id + ' is not shown');
    var drawn = Array.prototype.filter.call(chart.querySelectorAll('rect.bar'), function (bar) {
      var box = bar.getBBox();
      return box.width > 0 && box.height > 0;
    });
    if (drawn.length === 0) problems.push(id + ' has no bar drawn');
  });
  var links = document.querySelectorAll('table.results a');
  if (links.length !== logs) problems.push('report links ' + links.length + ', logs ' + logs);
  links.forEach(function (link) {
    try {
      var request = new XMLHttpRequest();
      request.open('GET', link.href, false);
      request.send();
      if (request.responseText.indexOf(link.textContent) < 0) {
        problems.push(link.getAttribute('href') + ' does not hold the report of ' + link.textContent);
      }
    } catch (error) {
      problems.push(link.getAttribute('href') + ' does not open: ' + error);
    }
  });
  // Text from the logs stays text: no script but this one, no element made from a log.
  if (document.querySelectorAll('script').length !== 1) problems.push('the page holds a script');
  if (document.querySelectorAll('img, iframe, object, embed, i').length > 0) {
    problems.push('text from a log became markup');
  }
  if (query.get('hostile') === '1' &&
      document.body.textContent.indexOf('<script>alert(1)<\/script>') < 0) {
    problems.push('the markup of a log is not shown as text');
  }
  document.title = problems.length ? 'PAGE-CHECK FAIL: ' + problems.join('; ') : 'PAGE-CHECK OK';
})();
