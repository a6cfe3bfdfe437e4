-- Sample data for trying the console at once. Money is x 10 000.

-- The cashier comes first so that the log-in list offers it first. Its
-- password, 1234, is kept hashed as every operator's is.
INSERT INTO operadores (NOMBRE, PASS,
    CONFPUE, CONFTAR, CONFFRA, CONFBON, CONFTPV, CONFTIC, CONFTUR, CONFOP, CUEADD, CUEMOD, CUEELI, CUECRE,
    CUETAR, APAGA1, APAGA2, APAGA3, APAGA4, APAGATODOS, DESACTIVA, ACTIVA, VENTATPV, LISTADO1, LISTADO2,
    LISTADO3, LISTADO4, INFORME1, INFORME2, INFORME3, INFORME4, INFORME5, CONFIMP, CONFLOGS, IMPLOGPAS,
    IMPLOGPAS_1, MODFECHACAD)
VALUES ('CAJA', 'pbkdf2-sha256$400000$6BWjQNJl1XhxBq+4dp8eHg==$YeQkjOxVXfO738GGiEIYNFOncrleTbsyn44imAhCnOk=',
    0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1,
    0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 0, 0, 0, 0, 0, 0, 1,
    1, 0);

INSERT INTO tasas (Nombre, valor) VALUES ('IVA REDUCIDO', 10);

INSERT INTO tarifas (NOM, TIPO, COS_HORA, COS_MIN) VALUES ('NORMAL', 0, 12000, 5000);
INSERT INTO tarifas (NOM, TIPO, COS_HORA, COS_MIN) VALUES ('NOCHE', 0, 20000, 5000);
INSERT INTO tarifas (NOM, TIPO, COS_HORA, COS_MIN) VALUES ('ESTUDIANTE', 0, 9000, 3000);
INSERT INTO tarifas (NOM, TIPO, COS_HORA, COS_MIN) VALUES ('PASES', 1, 0, 0);

INSERT INTO lintarifas (id_tarifa, franja_ini, franja_fin, precio)
    SELECT ID_TAR, 0, 30, 10000 FROM tarifas WHERE NOM = 'PASES';
INSERT INTO lintarifas (id_tarifa, franja_ini, franja_fin, precio)
    SELECT ID_TAR, 30, 60, 18000 FROM tarifas WHERE NOM = 'PASES';
INSERT INTO lintarifas (id_tarifa, franja_ini, franja_fin, precio)
    SELECT ID_TAR, 60, 120, 30000 FROM tarifas WHERE NOM = 'PASES';

INSERT INTO franjas (franja_ini, franja_fin, id_tar, tarifa)
    SELECT '08:00:00', '20:00:00', ID_TAR, NOM FROM tarifas WHERE NOM = 'NORMAL';
INSERT INTO franjas (franja_ini, franja_fin, id_tar, tarifa)
    SELECT '20:00:00', '08:00:00', ID_TAR, NOM FROM tarifas WHERE NOM = 'NOCHE';

INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (1, '127.0.1.1', 127, 0, 1, 1, 'PUESTO1');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (2, '127.0.1.2', 127, 0, 1, 2, 'PUESTO2');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (3, '127.0.1.3', 127, 0, 1, 3, 'PUESTO3');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (4, '127.0.1.4', 127, 0, 1, 4, 'PUESTO4');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (5, '127.0.1.5', 127, 0, 1, 5, 'PUESTO5');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (6, '127.0.1.6', 127, 0, 1, 6, 'PUESTO6');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host) VALUES (7, '127.0.1.7', 127, 0, 1, 7, 'PUESTO7');
INSERT INTO puestos (npuesto, ip, ip1, ip2, ip3, ip4, host, preciorel) VALUES (8, '127.0.1.8', 127, 0, 1, 8, 'PUESTO8', 150);

INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10001', '1111', 'Lucía Serrano Gil', 'C/ Mayor 12', '600111222', 'lucia@example.com',
        date('now', 'localtime', '-40 days'), date('now', 'localtime', '-2 days'),
        '0', 'NORMAL', 100000, 0, 0, 1, 0, 0, 0, '', 0, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10002', '2222', 'Marcos Ibáñez Ruiz', 'Avda. del Puerto 3', '600333444', 'marcos@example.com',
        date('now', 'localtime', '-20 days'), date('now', 'localtime', '-1 days'),
        '0', 'ESTUDIANTE', 45000, 0, 10, 0, 0, 0, 0, '', 0, 2, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10003', '3333', 'Elena Cortés Vidal', 'Plaza Nueva 7', '600555666', '',
        date('now', 'localtime', '-10 days'), date('now', 'localtime'),
        '1', 'FRANJA HORARIA', 80000, 0, 0, 1, 0, 0, 0, '', 0, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10004', '4444', 'Javier Ortega Sanz', 'C/ Real 45', '600777888', 'javier@example.com',
        date('now', 'localtime', '-60 days'), date('now', 'localtime', '-5 days'),
        '2', 'BONO TIEMPO', 0, 10800, 0, 0, 0, 0, 0, '', 0, 3, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10005', '5555', 'Nuria Pascual Roca', '', '', '',
        date('now', 'localtime', '-3 days'), date('now', 'localtime', '-3 days'),
        '2', 'BONO TIEMPO', 0, 3600, 0, 0, 0, 0, 1, 'Recuerde renovar su bono', 1, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('90001', '7777', '', '', '', '',
        date('now', 'localtime', '-1 days'), date('now', 'localtime', '-1 days'),
        '9', 'BONO TIEMPO', 0, 1800, 0, 0, 0, 0, 1, '', 0, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('90002', '8888', '', '', '', '',
        date('now', 'localtime'), date('now', 'localtime'),
        '9', 'BONO TIEMPO', 0, 7200, 0, 0, 0, 0, 1, '', 0, 0, '');

INSERT INTO bonos (CODIGO, DESCRIPCION, PRECIO, tiempo_bono) VALUES ('B1H', 'Bono 1 hora', 10000, 60);
INSERT INTO bonos (CODIGO, DESCRIPCION, PRECIO, tiempo_bono) VALUES ('B5H', 'Bono 5 horas', 45000, 300);
INSERT INTO bonos (CODIGO, DESCRIPCION, PRECIO, tiempo_bono) VALUES ('B10H', 'Bono 10 horas', 80000, 600);
-- Selling a time code proposes the one-hour voucher.
UPDATE opciones SET ini_time_cod = 'B1H';
-- F1 on a station proposes the NORMAL tariff in counter mode, so Enter opens it.
UPDATE opciones SET op4_2 = 1, op4_1 = 0, ini_tarifa_2 = 'NORMAL', op4_3 = 0;

INSERT INTO recargas (CODIGO, DESCRIPCION, PRECIO) VALUES ('R5', 'Recarga 5 euros', 50000);
INSERT INTO recargas (CODIGO, DESCRIPCION, PRECIO) VALUES ('R10', 'Recarga 10 euros', 100000);
INSERT INTO recargas (CODIGO, DESCRIPCION, PRECIO) VALUES ('R20', 'Recarga 20 euros', 200000);

INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('CAFE', 'Café', 10000, 2);
INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('REFRESCO', 'Refresco lata', 15000, 2);
INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('AGUA', 'Agua 50 cl', 8000, 2);
INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('IMPBN', 'Impresión B/N', 1000, 1);
INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('IMPCOL', 'Impresión color', 5000, 1);
INSERT INTO articulos (CODIGO, ARTICULO, PRECIO, IdTax) VALUES ('CDR', 'CD grabable', 12000, 1);

INSERT INTO turnos (TURNO, HORA_INI, HORA_FIN) VALUES ('MAÑANA', '08:00:00', '15:00:00');
INSERT INTO turnos (TURNO, HORA_INI, HORA_FIN) VALUES ('TARDE', '15:00:00', '23:00:00');

-- The raw CUPS queue that ./run.sh points at the demo's receipt printer.
UPDATE opciones SET impresoratick = 'Quintor-Demo';

-- Accounts that show the refusals at a station: a first password to choose,
-- a deactivated account and one not used for a year.
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10006', '', 'Pablo Nieto Gómez', '', '', '',
        date('now', 'localtime'), date('now', 'localtime'),
        '0', 'NORMAL', 50000, 0, 0, 1, 0, 1, 0, '', 0, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10007', '7777', 'Rosa Delgado Marín', '', '', '',
        date('now', 'localtime', '-30 days'), date('now', 'localtime', '-30 days'),
        '0', 'NORMAL', 30000, 0, 0, 1, 1, 0, 0, '', 0, 0, '');
INSERT INTO cuentas (Login, Pass, Nombre, Dir, Telf, email, Alta, Ultima, Tipo, Tarifa, credito, Bonotiempo,
                     Descuento, Bloquear, Desactivada, Intropass, Nomodpass, Aviso, CheckAviso, Escritorio, Observaciones)
VALUES ('10008', '8888', 'Tomás Vera Luque', '', '', '',
        date('now', 'localtime', '-400 days'), date('now', 'localtime', '-400 days'),
        '0', 'NORMAL', 30000, 0, 0, 1, 0, 0, 0, '', 0, 0, '');

-- History: three weeks of use periods, sales and account movements up to
-- yesterday, and a few entries earlier today, so that every listing and
-- statistic shows something on its first opening. Each kind of row has the
-- shape the console itself writes. Everything is staged in temporary tables
-- and then copied in time order, so that ticket numbers, keys and movement
-- order follow the clock. All of it is collected and dealt with (CONTA = 1):
-- the station and movement queues start empty.

-- Day numbers, 0 (today) to 21 days ago.
CREATE TEMP TABLE demo_dia (i INTEGER PRIMARY KEY);
INSERT INTO demo_dia (i)
    WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 21)
    SELECT i FROM n;

-- Seconds since midnight at the moment the demo is made. Today's entries
-- lie some minutes before it, or at a fraction of it early in the morning,
-- so they are never in the future nor on another day.
CREATE TEMP TABLE demo_ahora AS
    SELECT CAST(strftime('%s', 'now', 'localtime') AS INTEGER)
           - CAST(strftime('%s', 'now', 'localtime', 'start of day') AS INTEGER) AS s;

-- Use periods: start and length in seconds; cliente NULL is anonymous;
-- venta is an article sold to the station during the period, which the
-- period's ticket then carries.
CREATE TEMP TABLE demo_uso (
    id INTEGER PRIMARY KEY,
    dia INTEGER, ini INTEGER, seg INTEGER, npuesto INTEGER,
    cliente TEXT, modo TEXT, tarifa TEXT, coste INTEGER,
    venta TEXT, hventa INTEGER);

-- The demo accounts' visits (start as a time of day).
INSERT INTO demo_uso (cliente, dia, ini, seg, npuesto)
    WITH v(cliente, dia, hora, seg, npuesto) AS (VALUES
        ('10001', 21, '10:12:40', 3903, 1), ('10001', 19, '18:31:05', 4217, 2),
        ('10001', 16, '11:02:13', 2996, 1), ('10001', 13, '19:40:22', 6011, 5),
        ('10001', 11, '10:25:51', 3588, 1), ('10001', 9, '17:03:09', 4527, 3),
        ('10001', 6, '12:15:44', 2705, 2), ('10001', 4, '18:47:30', 5394, 1),
        ('10001', 2, '11:20:02', 3611, 1),
        ('10002', 20, '17:06:30', 2697, 3), ('10002', 17, '18:10:05', 3897, 5),
        ('10002', 14, '16:40:48', 3297, 2), ('10002', 11, '19:02:10', 2997, 6),
        ('10002', 9, '17:25:03', 3600, 4), ('10002', 6, '18:33:40', 2401, 1),
        ('10002', 3, '17:45:19', 4203, 7), ('10002', 1, '16:50:57', 1353, 3),
        ('10003', 8, '10:41:20', 5400, 4), ('10003', 6, '11:05:00', 7197, 4),
        ('10003', 3, '12:10:35', 4203, 6),
        ('10004', 20, '16:20:00', 5412, 7), ('10004', 19, '16:05:30', 7188, 7),
        ('10004', 17, '17:10:45', 6305, 8), ('10004', 14, '16:30:00', 8996, 7),
        ('10004', 12, '18:00:12', 7243, 8), ('10004', 10, '17:20:00', 5357, 7),
        ('10004', 8, '16:45:33', 9021, 7), ('10004', 5, '17:30:00', 8078, 8),
        ('10005', 3, '10:12:00', 7245, 5), ('10005', 3, '16:02:10', 7155, 5),
        ('90001', 1, '17:34:40', 1800, 2))
    SELECT cliente, dia, CAST(strftime('%s', '1970-01-01 ' || hora) AS INTEGER), seg, npuesto FROM v;

-- Today's periods, by how many minutes before now they ended (or which
-- thousandth of the day so far). They may have started last night.
INSERT INTO demo_uso (cliente, dia, ini, seg, npuesto, tarifa)
    WITH v(antes, parte, seg, npuesto, tarifa) AS (VALUES
        (180, 200, 3312, 2, 'NORMAL'),
        (40, 800, 2105, 6, 'ESTUDIANTE'))
    SELECT NULL, 0, CASE WHEN a.s >= 14400 THEN a.s - antes * 60 ELSE a.s * parte / 1000 END - seg,
           seg, npuesto, tarifa
      FROM v, demo_ahora a;
-- Elena's visit today starts 190 minutes before now and costs 1.40 in
-- either band (70 minutes by day, 42 by night), so her history still adds
-- up to her credit whatever the hour.
INSERT INTO demo_uso (cliente, dia, ini, npuesto)
    SELECT '10003', 0, CASE WHEN s >= 14400 THEN s - 190 * 60 ELSE s * 450 / 1000 - 2520 END, 4
      FROM demo_ahora;

-- How an account's period runs: time accounts and codes in prepaid mode on
-- their voucher, money accounts on their tariff, or on the band's tariff.
UPDATE demo_uso SET
    modo = CASE WHEN cliente IS NOT NULL
                     AND (SELECT Tipo FROM cuentas WHERE Login = demo_uso.cliente) IN ('2', '9')
                THEN 'PREPAGO' ELSE 'CONTADOR' END,
    tarifa = COALESCE(tarifa, (
        SELECT CASE c.Tipo
                   WHEN '0' THEN c.Tarifa
                   WHEN '1' THEN (
                       SELECT f.tarifa FROM franjas f,
                              (SELECT time((demo_uso.ini % 86400 + 86400) % 86400, 'unixepoch') AS t) x
                        WHERE (f.franja_ini <= f.franja_fin AND f.franja_ini <= x.t AND x.t < f.franja_fin)
                           OR (f.franja_ini > f.franja_fin AND (x.t >= f.franja_ini OR x.t < f.franja_fin)))
                   ELSE 'BONO TIEMPO' END
          FROM cuentas c WHERE c.Login = demo_uso.cliente));
UPDATE demo_uso SET seg = CASE tarifa WHEN 'NORMAL' THEN 4200 ELSE 2520 END WHERE seg IS NULL;

-- Anonymous customers: each station's day is a run of slots, from the
-- morning on (stations 5 to 8 from the afternoon), each one period followed
-- by a gap. A quarter of them are prepaid (a pass of the variable tariff,
-- or one euro of the fixed one); a few counter periods had a drink sold to
-- the station. Slots that would clash with an account's visit stay empty.
INSERT INTO demo_uso (dia, ini, seg, npuesto, modo, tarifa, coste, venta, hventa)
    WITH RECURSIVE
        k(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM k WHERE k < 7),
        hueco AS (
            SELECT d.i AS dia, p.npuesto, k.k,
                   (25 + (d.i * 17 + p.npuesto * 29 + k.k * 41) % 100) * 60
                       + (d.i * 31 + p.npuesto * 7 + k.k * 13) % 60 AS slot,
                   (60 + (d.i * 23 + p.npuesto * 19 + k.k * 37) % 240) * 60 AS gap,
                   (d.i * 37 + p.npuesto * 11 + k.k * 53) % 97 AS h
              FROM demo_dia d, puestos p, k
             WHERE d.i >= 1),
        slots AS (
            SELECT dia, npuesto, slot, h,
                   CASE WHEN npuesto <= 4 THEN 34200 ELSE 55800 END + ((dia * 7 + npuesto * 13) % 50) * 60
                       + COALESCE(SUM(slot + gap) OVER (PARTITION BY dia, npuesto ORDER BY k
                                                        ROWS BETWEEN UNBOUNDED PRECEDING AND 1 PRECEDING), 0)
                       AS ini
              FROM hueco),
        periodo AS (
            SELECT s.*,
                   CASE WHEN h % 4 <> 0 OR slot < 1800 THEN 'CONTADOR'
                        WHEN h % 8 = 0 AND slot >= 3000 THEN 'FIJO'
                        ELSE 'PASE' END AS clase,
                   CASE WHEN slot >= 7200 THEN 120 WHEN slot >= 3600 THEN 60 ELSE 30 END AS pase
              FROM slots s
             WHERE ini + slot <= 23 * 3600
               AND NOT EXISTS (SELECT 1 FROM demo_uso v
                                WHERE v.dia = s.dia AND v.npuesto = s.npuesto
                                  AND v.ini < s.ini + s.slot + 300 AND s.ini < v.ini + v.seg + 300))
    SELECT p.dia, p.ini,
           CASE p.clase
               WHEN 'CONTADOR' THEN p.slot - (p.h * 7) % 300
               WHEN 'PASE' THEN p.pase * 60
               ELSE 10000 * 360000 / (t.COS_HORA * s.preciorel) END,
           p.npuesto,
           CASE p.clase WHEN 'CONTADOR' THEN 'CONTADOR' ELSE 'PREPAGO' END,
           CASE WHEN p.clase = 'PASE' THEN 'PASES'
                WHEN p.ini >= 20 * 3600 THEN 'NOCHE'
                WHEN p.clase = 'CONTADOR' AND p.h % 5 = 1 THEN 'ESTUDIANTE'
                ELSE 'NORMAL' END,
           CASE p.clase
               WHEN 'PASE' THEN (SELECT l.precio FROM lintarifas l JOIN tarifas x ON x.ID_TAR = l.id_tarifa
                                  WHERE x.NOM = 'PASES' AND l.franja_fin = p.pase)
               WHEN 'FIJO' THEN 10000 END,
           CASE WHEN p.clase = 'CONTADOR' AND p.h % 6 = 3
                THEN CASE WHEN p.dia % 3 = 0 THEN 'REFRESCO' ELSE 'CAFE' END END,
           p.ini + 240 + (p.h * 7) % 600
      FROM periodo p
      JOIN puestos s ON s.npuesto = p.npuesto
      JOIN tarifas t ON t.NOM = CASE WHEN p.ini >= 20 * 3600 THEN 'NOCHE' ELSE 'NORMAL' END;

UPDATE demo_uso SET hventa = NULL WHERE venta IS NULL;

-- A counter period costs its time at the tariff and the station's relative
-- price, never less than the tariff's minimum: to the rounding unit for
-- anonymous customers, with the discount and to the cent's hundredth for
-- accounts.
UPDATE demo_uso SET coste = (
    SELECT MAX(t.COS_MIN, CASE
               WHEN demo_uso.cliente IS NULL
               THEN CAST(ROUND(t.COS_HORA * demo_uso.seg * p.preciorel / 360000.0 / o.redondeo) AS INTEGER)
                    * o.redondeo
               ELSE CAST(ROUND(t.COS_HORA * demo_uso.seg * p.preciorel
                               * (100 - (SELECT c.Descuento FROM cuentas c WHERE c.Login = demo_uso.cliente))
                               / 36000000.0) AS INTEGER) END)
      FROM tarifas t, puestos p, opciones o
     WHERE t.NOM = demo_uso.tarifa AND p.npuesto = demo_uso.npuesto)
 WHERE modo = 'CONTADOR';

-- Sales at the point of sale, a few an hour over the opening hours; now and
-- then one cancelled.
CREATE TEMP TABLE demo_tpv (id INTEGER PRIMARY KEY, dia INTEGER, hora INTEGER, anulado INTEGER);
INSERT INTO demo_tpv (dia, hora, anulado)
    WITH RECURSIVE k(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM k WHERE k < 8)
    SELECT d.i, 33600 + k.k * 5400 + ((d.i * 41 + k.k * 17) % 50) * 60 + (d.i * 13 + k.k * 29) % 60,
           CASE WHEN d.i % 9 = 4 AND k.k = 2 THEN 1 ELSE 0 END
      FROM demo_dia d, k
     WHERE d.i >= 1 AND (d.i + k.k) % 4 <> 0;
INSERT INTO demo_tpv (dia, hora, anulado)
    WITH v(antes, parte) AS (VALUES (205, 100), (95, 550), (15, 900))
    SELECT 0, CASE WHEN a.s >= 14400 THEN a.s - antes * 60 ELSE a.s * parte / 1000 END, 0
      FROM v, demo_ahora a;

-- What sells: coffee and prints most, a blank disc now and then.
CREATE TEMP TABLE demo_art (i INTEGER PRIMARY KEY, codigo TEXT, maxcant INTEGER);
INSERT INTO demo_art (i, codigo, maxcant) VALUES
    (0, 'CAFE', 2), (1, 'IMPBN', 12), (2, 'REFRESCO', 2), (3, 'CAFE', 1), (4, 'AGUA', 1),
    (5, 'IMPCOL', 4), (6, 'CAFE', 3), (7, 'CDR', 2), (8, 'REFRESCO', 1), (9, 'IMPBN', 25);

-- One to three lines a sale, each article once.
CREATE TEMP TABLE demo_tpvlin (venta INTEGER, orden INTEGER, codigo TEXT, cant INTEGER);
INSERT INTO demo_tpvlin (venta, orden, codigo, cant)
    WITH RECURSIVE j(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM j WHERE j < 2)
    SELECT v.id, MIN(j.j), a.codigo, MIN(1 + (v.id * 7 + j.j * 3) % a.maxcant)
      FROM demo_tpv v, j, demo_art a
     WHERE j.j <= v.id % 3 AND a.i = (v.id * 3 + j.j * 4) % 10
     GROUP BY v.id, a.codigo;

-- Sales to accounts and time codes: a new account's initial credit (ALTA),
-- a money top-up (REC), a voucher for a time account (BON), a time code
-- (COD). codigo names the top-up or the voucher.
CREATE TEMP TABLE demo_cta (id INTEGER PRIMARY KEY, tipo TEXT, cliente TEXT, dia INTEGER, hora INTEGER,
                            codigo TEXT, cant INTEGER);
INSERT INTO demo_cta (tipo, cliente, dia, hora, codigo, cant)
    WITH v(tipo, cliente, dia, hora, codigo, cant) AS (VALUES
        ('REC', '10001', 15, '16:10:04', 'R5', 1), ('REC', '10001', 6, '12:05:31', 'R10', 1),
        ('ALTA', '10002', 20, '17:00:12', 'R5', 1), ('REC', '10002', 9, '17:20:31', 'R5', 1),
        ('ALTA', '10003', 10, '10:30:08', 'R10', 1),
        ('BON', '10004', 19, '16:00:10', 'B10H', 1), ('BON', '10004', 15, '16:25:48', 'B1H', 2),
        ('BON', '10004', 10, '17:15:40', 'B5H', 1),
        ('ALTA', '10005', 3, '10:05:22', 'B5H', 1),
        ('COD', '90001', 1, '17:30:05', 'B1H', 1))
    SELECT tipo, cliente, dia, CAST(strftime('%s', '1970-01-01 ' || hora) AS INTEGER), codigo, cant FROM v;
INSERT INTO demo_cta (tipo, cliente, dia, hora, codigo, cant)
    WITH v(tipo, cliente, antes, parte, codigo, cant) AS (VALUES
        ('REC', '10003', 195, 150, 'R5', 1),
        ('COD', '90002', 70, 650, 'B1H', 2))
    SELECT tipo, cliente, 0, CASE WHEN a.s >= 14400 THEN a.s - antes * 60 ELSE a.s * parte / 1000 END,
           codigo, cant
      FROM v, demo_ahora a;

-- Tickets in the order they were issued: a prepaid period's at its start,
-- a counter period's at its end, or at the drink sold to its station.
CREATE TEMP TABLE demo_tick (n INTEGER PRIMARY KEY, origen TEXT, ref INTEGER, dia INTEGER, hora INTEGER);
INSERT INTO demo_tick (n, origen, ref, dia, hora)
    SELECT ROW_NUMBER() OVER (ORDER BY dia DESC, hora, origen, ref), origen, ref, dia, hora
      FROM (SELECT 'uso' AS origen, id AS ref, dia,
                   CASE WHEN modo = 'PREPAGO' THEN ini ELSE COALESCE(hventa, ini + seg) END AS hora
              FROM demo_uso WHERE cliente IS NULL
            UNION ALL
            SELECT 'tpv', id, dia, hora FROM demo_tpv
            UNION ALL
            SELECT 'cta', id, dia, hora FROM demo_cta);

-- The cash desk: the cashier in the morning shift, the owner in the
-- afternoon.
CREATE TEMP TABLE demo_turno AS SELECT 15 * 3600 AS cambio;

INSERT INTO ticket (ID_TICK, NUM_TICKET, FECHA, HORA, IMPORTE, CLIENTE, NPUESTO, MODO, CONTA, OPERADOR,
                    OBSERVACIONES)
    SELECT k.n, CAST(k.n AS TEXT), date('now', 'localtime', '-' || k.dia || ' days'), time(k.hora, 'unixepoch'),
           CASE k.origen
               WHEN 'uso' THEN u.coste + COALESCE((SELECT PRECIO FROM articulos WHERE CODIGO = u.venta), 0)
               WHEN 'tpv' THEN CASE WHEN v.anulado = 1 THEN 0 ELSE
                                   (SELECT SUM(l.cant * a.PRECIO) FROM demo_tpvlin l
                                      JOIN articulos a ON a.CODIGO = l.codigo WHERE l.venta = v.id) END
               ELSE c.cant * COALESCE((SELECT PRECIO FROM recargas WHERE CODIGO = c.codigo),
                                      (SELECT PRECIO FROM bonos WHERE CODIGO = c.codigo)) END,
           NULL,
           COALESCE(u.npuesto, 0),
           u.modo,
           1,
           -- Whoever issued it, or ended the counter period that wrote it.
           CASE WHEN CASE WHEN u.modo = 'CONTADOR' THEN u.ini + u.seg ELSE k.hora END
                         < (SELECT cambio FROM demo_turno)
                THEN 'CAJA' ELSE 'ADMIN' END,
           CASE WHEN v.anulado = 1 THEN 'ANULADO' END
      FROM demo_tick k
      LEFT JOIN demo_uso u ON k.origen = 'uso' AND u.id = k.ref
      LEFT JOIN demo_tpv v ON k.origen = 'tpv' AND v.id = k.ref
      LEFT JOIN demo_cta c ON k.origen = 'cta' AND c.id = k.ref
     ORDER BY k.n;

-- Ticket lines, in the order they were added.
CREATE TEMP TABLE demo_lin (n INTEGER, orden INTEGER, codigo TEXT, articulo TEXT, cant REAL, precio INTEGER,
                            importe INTEGER, bono INTEGER, idtax INTEGER);
-- The drink sold to a station, then the period.
INSERT INTO demo_lin
    SELECT k.n, 0, a.CODIGO, a.ARTICULO, 1, a.PRECIO, a.PRECIO, 0, a.IdTax
      FROM demo_tick k JOIN demo_uso u ON k.origen = 'uso' AND u.id = k.ref
      JOIN articulos a ON a.CODIGO = u.venta;
INSERT INTO demo_lin
    SELECT k.n, 1, NULL,
           'PUESTO ' || u.npuesto || CASE WHEN u.modo = 'PREPAGO' THEN ' ' ELSE '  ' END
               || printf('%d:%02d:%02d', u.seg / 3600, u.seg / 60 % 60, u.seg % 60),
           1, u.coste, u.coste, 0, o.iva_gen
      FROM demo_tick k JOIN demo_uso u ON k.origen = 'uso' AND u.id = k.ref, opciones o;
-- A cancelled sale keeps its lines, with nothing sold and no tax.
INSERT INTO demo_lin
    SELECT k.n, l.orden, a.CODIGO, a.ARTICULO,
           CASE WHEN v.anulado = 1 THEN 0 ELSE l.cant END, a.PRECIO,
           CASE WHEN v.anulado = 1 THEN 0 ELSE l.cant * a.PRECIO END, 0,
           CASE WHEN v.anulado = 1 THEN 0 ELSE a.IdTax END
      FROM demo_tick k JOIN demo_tpv v ON k.origen = 'tpv' AND v.id = k.ref
      JOIN demo_tpvlin l ON l.venta = v.id
      JOIN articulos a ON a.CODIGO = l.codigo;
-- Top-ups carry no code; vouchers carry theirs, except on a new account's
-- ticket; both are marked as vouchers and entries.
INSERT INTO demo_lin
    SELECT k.n, 0,
           CASE WHEN c.tipo IN ('BON', 'COD') THEN b.CODIGO END,
           COALESCE(r.DESCRIPCION, b.DESCRIPCION), c.cant, COALESCE(r.PRECIO, b.PRECIO),
           c.cant * COALESCE(r.PRECIO, b.PRECIO), CASE WHEN b.CODIGO IS NULL THEN 0 ELSE 1 END, o.iva_gen
      FROM demo_tick k JOIN demo_cta c ON k.origen = 'cta' AND c.id = k.ref
      LEFT JOIN recargas r ON r.CODIGO = c.codigo
      LEFT JOIN bonos b ON b.CODIGO = c.codigo, opciones o;
INSERT INTO lintick (ID_TICK, CODIGO, ARTICULO, CANT, PRECIO, IMPORTE, BONO, IdTax)
    SELECT n, codigo, articulo, cant, precio, importe, bono, idtax FROM demo_lin ORDER BY n, orden;

-- Station activity: one record per period, written when it ended. It names
-- the ticket the station held then (a prepaid one, or one with a drink);
-- a ticket issued by the end itself is not named.
INSERT INTO ciber (FECHA, HORA, NPUESTO, MODALIDAD, NUM_TICKET, TARIFA, OPERADOR, CLIENTE, TIEMPO)
    SELECT date('now', 'localtime', '-' || u.dia || ' days'), time(u.ini + u.seg, 'unixepoch'), u.npuesto,
           u.modo,
           CASE WHEN u.modo = 'PREPAGO' OR u.venta IS NOT NULL THEN CAST(k.n AS TEXT) END,
           u.tarifa,
           CASE WHEN u.ini + u.seg < (SELECT cambio FROM demo_turno) THEN 'CAJA' ELSE 'ADMIN' END,
           u.cliente, u.seg
      FROM demo_uso u LEFT JOIN demo_tick k ON k.origen = 'uso' AND k.ref = u.id
     ORDER BY u.dia DESC, u.ini + u.seg;

-- Account movements: sales of credit and the accounts' periods. Balances
-- run backwards from each account's present credit, so the last movement
-- ends where the account stands today.
CREATE TEMP TABLE demo_mov (id INTEGER PRIMARY KEY, cliente TEXT, dia INTEGER, hora INTEGER, ticket TEXT,
                            concepto TEXT, dinero INTEGER, tiempo INTEGER, texto TEXT);
INSERT INTO demo_mov (cliente, dia, hora, ticket, concepto, dinero, tiempo, texto)
    SELECT c.cliente, c.dia, c.hora, CAST(k.n AS TEXT), COALESCE(r.DESCRIPCION, b.DESCRIPCION),
           c.cant * r.PRECIO, c.cant * b.tiempo_bono * 60,
           CASE WHEN b.CODIGO IS NOT NULL
                THEN printf('%d:%02d:%02d', c.cant * b.tiempo_bono / 60, c.cant * b.tiempo_bono % 60, 0) END
      FROM demo_cta c JOIN demo_tick k ON k.origen = 'cta' AND k.ref = c.id
      LEFT JOIN recargas r ON r.CODIGO = c.codigo
      LEFT JOIN bonos b ON b.CODIGO = c.codigo;
INSERT INTO demo_mov (cliente, dia, hora, ticket, concepto, dinero, tiempo, texto)
    SELECT u.cliente, u.dia, u.ini + u.seg, NULL,
           'PUESTO ' || u.npuesto || '  ' || printf('%d:%02d:%02d', u.seg / 3600, u.seg / 60 % 60, u.seg % 60),
           CASE WHEN u.modo = 'CONTADOR' THEN -u.coste END,
           CASE WHEN u.modo = 'PREPAGO' THEN -u.seg END,
           CASE WHEN u.modo = 'PREPAGO'
                THEN '-' || printf('%d:%02d:%02d', u.seg / 3600, u.seg / 60 % 60, u.seg % 60) END
      FROM demo_uso u WHERE u.cliente IS NOT NULL;

INSERT INTO movcuentas (CUENTA, FECHA, HORA, TICKET, CONCEPTO, SALDO_ANT, SALDO_MOV, SALDO_FIN,
                        saldoti_ant_bono, SALDOTI_MOV, saldoti_fin_bono, CONTA)
    SELECT cliente, date('now', 'localtime', '-' || dia || ' days'), time(hora, 'unixepoch'), ticket, concepto,
           COALESCE(fin - dinero, 0), COALESCE(dinero, 0), COALESCE(fin, 0),
           fint - tiempo, texto, fint, 1
      FROM (SELECT m.*,
                   CASE WHEN m.dinero IS NOT NULL THEN c.credito - COALESCE(SUM(m.dinero) OVER later, 0) END AS fin,
                   CASE WHEN m.tiempo IS NOT NULL THEN c.Bonotiempo - COALESCE(SUM(m.tiempo) OVER later, 0) END
                       AS fint
              FROM demo_mov m JOIN cuentas c ON c.Login = m.cliente
            WINDOW later AS (PARTITION BY m.cliente ORDER BY m.dia DESC, m.hora, m.id
                             ROWS BETWEEN 1 FOLLOWING AND UNBOUNDED FOLLOWING))
     ORDER BY dia DESC, hora, id;

-- The next ticket the console issues follows the history's last.
UPDATE opciones SET NUM_TICK = (SELECT MAX(n) FROM demo_tick);

DROP TABLE demo_mov;
DROP TABLE demo_lin;
DROP TABLE demo_turno;
DROP TABLE demo_tick;
DROP TABLE demo_cta;
DROP TABLE demo_tpvlin;
DROP TABLE demo_art;
DROP TABLE demo_tpv;
DROP TABLE demo_uso;
DROP TABLE demo_ahora;
DROP TABLE demo_dia;
