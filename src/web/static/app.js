// The owner's view: reads the API and redraws, never writes anything.
(function () {
  'use strict';

  var lang = document.body.dataset.lang === 'en' ? 'en' : 'es';

  function el(tag, attrs, text) {
    var e = document.createElement(tag);
    if (attrs) {
      Object.keys(attrs).forEach(function (k) { e.setAttribute(k, attrs[k]); });
    }
    if (text !== undefined && text !== null) { e.textContent = String(text); }
    return e;
  }

  function aviso(texto) {
    var a = document.getElementById('aviso');
    if (a) { a.textContent = texto || ''; }
  }

  // A request of the API; a lost session goes back to the log-in page.
  function leer(url) {
    return fetch(url, { credentials: 'same-origin', cache: 'no-store' }).then(function (r) {
      if (r.status === 401) {
        var a = document.getElementById('aviso');
        aviso(a ? a.dataset.sesion : '');
        window.location.assign('/acceso');
        throw new Error('sesion');
      }
      if (!r.ok) { throw new Error('http ' + r.status); }
      return r.json();
    });
  }

  function falloLectura(e) {
    if (e && e.message === 'sesion') { return; }
    var a = document.getElementById('aviso');
    aviso(a ? a.dataset.error : 'Error');
  }

  function filas(tbody, lista, celdas) {
    while (tbody.firstChild) { tbody.removeChild(tbody.firstChild); }
    lista.forEach(function (item) {
      var tr = el('tr');
      celdas(item).forEach(function (c) {
        tr.appendChild(el('td', c.num ? { 'class': 'num' } : null, c.texto));
      });
      tbody.appendChild(tr);
    });
  }

  // Stations: one tile per station, refreshed in place every 1.5 s: with the
  // server's half-second snapshot, a console's change shows within 2 s.
  function puestos() {
    var rejilla = document.getElementById('puestos');
    var actualizado = document.getElementById('actualizado');
    var etiqueta = rejilla.dataset.puesto;

    function tile(p) {
      var id = 'puesto-' + p.numero;
      var t = document.getElementById(id);
      if (!t) {
        t = el('div', { id: id, 'class': 'puesto' });
        t.appendChild(el('div', { 'class': 'numero' }));
        var d = el('div', { 'class': 'datos' });
        ['usuario', 'tiempo', 'importe', 'consola'].forEach(function (c) {
          d.appendChild(el('div', { 'class': c }));
        });
        t.appendChild(d);
      }
      t.dataset.estado = p.estado;
      t.dataset.sinconexion = p.sinconexion ? '1' : '0';
      t.dataset.segundos = String(p.segundos);
      var n = t.querySelector('.numero');
      n.className = 'numero color-' + p.color;
      n.textContent = etiqueta + ' ' + p.numero + (p.nombre ? ' · ' + p.nombre : '');
      t.querySelector('.usuario').textContent = p.usuario;
      t.querySelector('.tiempo').textContent = p.tiempo;
      t.querySelector('.importe').textContent = p.importe;
      t.querySelector('.consola').textContent = p.consola;
      return t;
    }

    function refrescar() {
      leer('/api/puestos').then(function (datos) {
        var vistos = {};
        var anterior = null;
        datos.puestos.forEach(function (p) {
          var t = tile(p);
          vistos[t.id] = true;
          // Keep the order by number without rebuilding the grid.
          var siguiente = anterior ? anterior.nextSibling : rejilla.firstChild;
          if (siguiente !== t) { rejilla.insertBefore(t, siguiente); }
          anterior = t;
        });
        Array.prototype.slice.call(rejilla.children).forEach(function (c) {
          if (!vistos[c.id]) { rejilla.removeChild(c); }
        });
        actualizado.textContent = actualizado.dataset.texto + ': ' + new Date(datos.ahora).toLocaleTimeString(document.documentElement.lang || undefined);
        aviso('');
      }).catch(falloLectura);
    }
    refrescar();
    window.setInterval(refrescar, 1500);
  }

  function caja() {
    var dia = document.getElementById('dia').value;
    leer('/api/caja?dia=' + encodeURIComponent(dia) + '&lang=' + lang).then(function (c) {
      var total = document.getElementById('total');
      total.textContent = c.total;
      total.dataset.unidades = String(c.total_unidades);
      document.getElementById('dia-texto').textContent = c.dia_texto;
      var linea = function (campo) {
        return function (l) {
          return [{ texto: l[campo] }, { texto: l.tickets, num: true }, { texto: l.importe, num: true }];
        };
      };
      filas(document.querySelector('#por-tipo tbody'), c.por_tipo, linea('tipo'));
      filas(document.querySelector('#por-turno tbody'), c.por_turno, linea('turno'));
      document.getElementById('seccion-consola').hidden = c.por_consola.length === 0;
      filas(document.querySelector('#por-consola tbody'), c.por_consola, linea('consola'));
    }).catch(falloLectura);
  }

  function cuentas() {
    var form = document.getElementById('form-cuentas');
    var q = document.getElementById('q');
    var cuerpo = document.querySelector('#resultados tbody');

    function verCuenta(login) {
      leer('/api/cuenta?login=' + encodeURIComponent(login)).then(function (c) {
        document.getElementById('cuenta').hidden = false;
        document.getElementById('cuenta-titulo').textContent = c.login + (c.nombre ? ' — ' + c.nombre : '');
        document.getElementById('cuenta-saldo').textContent = c.saldo;
        document.getElementById('cuenta-tiempo').textContent = c.tiempo;
        filas(document.querySelector('#movimientos tbody'), c.movimientos, function (m) {
          return [{ texto: m.fecha }, { texto: m.hora }, { texto: m.ticket }, { texto: m.concepto },
            { texto: m.saldo_anterior, num: true }, { texto: m.movimiento, num: true },
            { texto: m.saldo_final, num: true }, { texto: m.tiempo }];
        });
      }).catch(falloLectura);
    }

    function buscar() {
      var texto = q.value.trim();
      if (!texto) { return; }
      leer('/api/cuentas?q=' + encodeURIComponent(texto) + '&lang=' + lang).then(function (r) {
        filas(cuerpo, r.cuentas, function (c) {
          return [{ texto: c.login }, { texto: c.nombre }, { texto: c.tipo_texto },
            { texto: c.saldo, num: true }, { texto: c.tiempo, num: true }];
        });
        Array.prototype.forEach.call(cuerpo.children, function (tr, i) {
          tr.className = 'elegible';
          tr.tabIndex = 0;
          tr.addEventListener('click', function () { verCuenta(r.cuentas[i].login); });
          tr.addEventListener('keydown', function (ev) {
            if (ev.key === 'Enter') { verCuenta(r.cuentas[i].login); }
          });
        });
        var a = document.getElementById('aviso');
        aviso(r.cuentas.length === 0 ? a.dataset.vacio : '');
        if (r.cuentas.length === 1) { verCuenta(r.cuentas[0].login); }
      }).catch(falloLectura);
    }

    form.addEventListener('submit', function (ev) { ev.preventDefault(); buscar(); });
    buscar();
  }

  // A bar chart of the statistic's values, drawn into SVG.
  function grafico(caja, etiquetas, valores) {
    var NS = 'http://www.w3.org/2000/svg';
    while (caja.firstChild) { caja.removeChild(caja.firstChild); }
    var n = Math.min(etiquetas.length, 30);
    if (n === 0) { return; }
    var fila = 22, izq = 140, ancho = 600, alto = n * fila + 10;
    var max = 0;
    for (var i = 0; i < n; i++) { max = Math.max(max, valores[i]); }
    var svg = document.createElementNS(NS, 'svg');
    svg.setAttribute('viewBox', '0 0 ' + (izq + ancho + 80) + ' ' + alto);
    svg.setAttribute('role', 'img');
    for (var j = 0; j < n; j++) {
      var y = 5 + j * fila;
      var t = document.createElementNS(NS, 'text');
      t.setAttribute('x', String(izq - 6));
      t.setAttribute('y', String(y + 15));
      t.setAttribute('text-anchor', 'end');
      t.textContent = String(etiquetas[j]).slice(0, 22);
      svg.appendChild(t);
      var w = max > 0 ? Math.max(1, Math.round(ancho * valores[j] / max)) : 1;
      var r = document.createElementNS(NS, 'rect');
      r.setAttribute('x', String(izq));
      r.setAttribute('y', String(y + 3));
      r.setAttribute('width', String(w));
      r.setAttribute('height', String(fila - 6));
      r.setAttribute('class', 'barra-valor');
      svg.appendChild(r);
    }
    caja.appendChild(svg);
  }

  function estadisticas() {
    var form = document.getElementById('form-estadisticas');
    var tipo = document.getElementById('tipo');

    function ver() {
      var url = '/api/estadisticas?tipo=' + encodeURIComponent(tipo.value) +
        '&desde=' + encodeURIComponent(document.getElementById('desde').value) +
        '&hasta=' + encodeURIComponent(document.getElementById('hasta').value);
      leer(url).then(function (s) {
        document.getElementById('est-titulo').textContent = s.titulo.join(' ');
        var cabeza = document.querySelector('#tabla thead tr');
        while (cabeza.firstChild) { cabeza.removeChild(cabeza.firstChild); }
        s.columnas.forEach(function (c) { cabeza.appendChild(el('th', null, c)); });
        filas(document.querySelector('#tabla tbody'), s.filas, function (f) {
          return f.map(function (c) { return { texto: c }; });
        });
        grafico(document.getElementById('grafico'), s.etiquetas, s.valores);
        var a = document.getElementById('aviso');
        aviso(s.filas.length === 0 ? a.dataset.vacio : '');
      }).catch(falloLectura);
    }

    leer('/api/estadisticas?lang=' + lang).then(function (r) {
      r.tipos.forEach(function (t) { tipo.appendChild(el('option', { value: t.tipo }, t.nombre)); });
      if (tipo.dataset.valor) { tipo.value = tipo.dataset.valor; }
      ver();
    }).catch(falloLectura);
    form.addEventListener('submit', function (ev) { ev.preventDefault(); ver(); });
  }

  var paginas = { puestos: puestos, caja: caja, cuentas: cuentas, estadisticas: estadisticas };
  var pagina = paginas[document.body.dataset.pagina];
  if (pagina) { pagina(); }
}());
